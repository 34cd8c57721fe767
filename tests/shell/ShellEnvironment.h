#pragma once
// A private home for one test, so shortcuts and Send To entries never touch the real user's files. Linux: HOME,
// XDG_DATA_HOME and XDG_CONFIG_HOME point into a temporary folder while it lives, and PATH to a folder of its own.
// Windows: the current user's and the machine's registry keys are redirected to a scratch key whose shell folders lie
// in the temporary folder.
#include <QByteArray>
#include <QTemporaryDir>
#include <optional>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

class ShellEnvironment {
public:
    ShellEnvironment();
    ~ShellEnvironment();
    ShellEnvironment(const ShellEnvironment&) = delete;
    ShellEnvironment& operator=(const ShellEnvironment&) = delete;

    // 8-bit texts with native separators.
    std::string home() const;    // with a trailing separator
    std::string desktop() const; // home() + "Desktop" and a separator, created
    std::string sendTo() const;  // the Send To folder of the private home, with a trailing separator

#ifdef _WIN32
    // Sets (or, with nothing, removes) a value of the user's or the machine's "Shell Folders" key.
    void setShellFolder(bool machine, const wchar_t* name, const std::optional<std::string>& folder);

private:
    HKEY scratch_ = nullptr;
    std::wstring scratchName_;
#else
    // PATH holds only the test's own folder of programs while the environment lives; this puts a do-nothing program
    // of that name there.
    void putOnPath(const std::string& program) const;

private:
    QByteArray savedHome_, savedData_, savedConfig_, savedPath_;
#endif
    QTemporaryDir dir_;
};

// Reads a whole file; empty when missing.
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);

#ifdef _WIN32
// What a shell link holds, in the program's 8-bit text.
struct TLinkFacts {
    std::string target, arguments, workingFolder;
};
std::optional<TLinkFacts> ReadShellLink(const std::string& path);
#endif
