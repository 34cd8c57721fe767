#pragma once
// Cutting a text into fields at a one-character separator. Fields are counted from 1; every
// function is total: an out-of-range field or an empty text gives an empty result.

#include <string>

// Field n of `text` cut at every `sep`; a text with k separators has k + 1 fields.
std::string FieldOf(int n, const std::string& text, char sep);

// FieldOf with '|' as the separator (settings lines).
std::string PipeField(int n, const std::string& text);

// 0 for an empty text, otherwise the number of separators plus one.
int FieldCount(const std::string& text, char sep);
