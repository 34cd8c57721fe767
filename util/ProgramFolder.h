#pragma once
// The folder of the running program file with exactly one trailing separator ("C:\Tools\",
// "/opt/ferrylo/"). Set once at start, before any settings file is read; everything the program
// keeps beside itself is addressed from it.

#include "util/Paths.h"

#include <string>

const std::string& ProgramFolder();

// Takes the full path of the program file; the folder part keeps a root's separator.
void SetProgramFolder(const std::string& programPath, PathStyle style = NativePathStyle);
