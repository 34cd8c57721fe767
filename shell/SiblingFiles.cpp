#include "shell/SiblingFiles.h"

#include "util/ProgramFolder.h"

namespace {
#ifdef _WIN32
constexpr const char* kFolder = "Files\\";
constexpr const char* kProgramSuffix = ".exe";
constexpr const char* kHelpName = "ferrylo.chm"; // the help page compiled, opened by the shell's help viewer
#else
constexpr const char* kFolder = "Files/";
constexpr const char* kProgramSuffix = "";
constexpr const char* kHelpName = "ferrylo.html";
#endif

std::string Sibling(const char* name, const char* suffix) {
    return ProgramFolder() + kFolder + name + suffix;
}
} // namespace

std::string HoisterPath() {
    return Sibling("HOISTER", kProgramSuffix);
}
std::string MenuwrightPath() {
    return Sibling("Menuwright", kProgramSuffix);
}
std::string PowerOffToolPath() {
    return Sibling("Vesperal", kProgramSuffix);
}
std::string HelpFilePath() {
    return Sibling(kHelpName, "");
}
