#pragma once
#include <string>

// Where the settings files live: beside the program when its folder is writable, otherwise in
// the user's configuration folder under the same names. Returns the base that the suffixes follow.
std::string ChooseSettingsBase(const std::string& programPath);
