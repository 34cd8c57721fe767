#pragma once
// The sibling programs and the help (the Windows help file on Windows, a page elsewhere), in the folder "Files"
// beside the program.

#include <string>

std::string HoisterPath();    // starts the program again with administrator rights
std::string MenuwrightPath(); // opens the Send To folder for editing
std::string PowerOffToolPath();
std::string HelpFilePath();
