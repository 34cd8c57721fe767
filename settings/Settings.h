#pragma once
// The program's saved values in memory, the names of the five settings files and the rules that
// turn the main window's fields into those values. No widgets here: the window maps its fields
// onto these functions.

#include <string>
#include <string_view>

// FTP settings: what the ".MyIni" record holds. `Password` is enciphered (EncryptPassword).
struct TFtpSettings {
    std::string Folder, Server, Login, Password;
    bool Passive = true;
};

// Copy options: what the ".option" record holds.
struct TCopyOptions {
    bool PowerOff = false, DeleteSources = false, NotifyDone = false, ExitAfterCopy = false, TrayOnStart = false;
    // Kept in ".ftps", not in the ".option" record: a folder a job made or entered is not walked again by it.
    bool KnownFolders = false;
    // Kept in ".ftps" too: how many files upload at the same time, each over a connection of its own.
    int ParallelUploads = 1;
    // Kept in ".ftps" too: a file the server holds already (same size, not older) is not sent again.
    bool SkipExisting = false;
    // Kept in ".ftps" too: a saved password goes to the system's keyring, the ".MyIni" slot stays empty.
    bool PasswordInKeyring = false;
};

// The bounds of ParallelUploads; 1 is the single connection.
inline constexpr int kMinParallelUploads = 1;
inline constexpr int kMaxParallelUploads = 8;

// The single instances of the run.
extern TFtpSettings FtpSettings;
extern std::string CurrentPassword; // the plain password of this run, never shown
extern TCopyOptions CopyOptions;

// Settings file suffixes; a settings file is SettingsBase() + suffix.
inline constexpr std::string_view MyIniSuffix = ".MyIni";         // FTP settings record
inline constexpr std::string_view IniInpSuffix = ".iniInp";       // source folder | source file
inline constexpr std::string_view IniSearchSuffix = ".inisearch"; // first | last value of the search range
inline constexpr std::string_view PathSuffix = ".path";           // destination folders, one a line
inline constexpr std::string_view OptionSuffix = ".option";       // copy options record

// Folder and base name of the settings files, e.g. "/opt/ferrylo/ferrylo". The application
// chooses it at start (beside the program when that folder is writable).
const std::string& SettingsBase();
void SetSettingsBase(std::string base);

// ProgramFolder() + the program file's name without extension.
std::string SettingsBaseBesideProgram(const std::string& programPath);

// SettingsBase() + suffix.
std::string SettingsFile(std::string_view suffix);

// The first 255 bytes of a text, never splitting a character (a record slot's capacity).
std::string CutTo255(std::string_view text);

// Which text becomes the run's password, given the password field's text: an empty field empties
// it; a field made only of '*' is the mask put there at start and changes nothing; anything else
// is a newly typed password.
void ApplyPasswordRule(const std::string& editText, std::string& currentPassword);

// As many '*' as the password has characters: what the password field shows.
std::string PasswordMask(const std::string& password);

// Brings `settings` up to date from the window's values, as the copy job and the connection
// check need them: each text cut to a slot's 255 bytes, the password enciphered (empty stays
// empty).
void FillFtpSettings(TFtpSettings& settings, const std::string& folder, const std::string& server,
                     const std::string& login, const std::string& plainPassword, bool passive);
