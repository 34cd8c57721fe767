#include "ShellEnvironment.h"

#include "util/NativePath.h"

#include <QDir>
#include <QFile>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#ifdef _WIN32
#include <objbase.h>
#include <shlobj.h>

namespace {
constexpr const wchar_t* kShellFolders = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const wchar_t* kCommonShellFolders = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\Shell Folders";

HKEY CreateKey(HKEY parent, const std::wstring& name) {
    HKEY key = nullptr;
    EXPECT_EQ(
        RegCreateKeyExW(parent, name.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    return key;
}
} // namespace

ShellEnvironment::ShellEnvironment()
    : scratchName_(L"Software\\Ferrylo shell test " + std::to_wstring(GetCurrentProcessId())) {
    scratch_ = CreateKey(HKEY_CURRENT_USER, scratchName_);
    for (const wchar_t* side : {L"user", L"machine"}) {
        HKEY key = CreateKey(scratch_, side);
        RegCloseKey(CreateKey(key, side == std::wstring(L"user") ? kShellFolders : kCommonShellFolders));
        // From here on the process sees the scratch key as that root; the real ones stay untouched.
        EXPECT_EQ(RegOverridePredefKey(side == std::wstring(L"user") ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, key),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    QDir().mkpath(QString::fromLocal8Bit(desktop()));
    QDir().mkpath(QString::fromLocal8Bit(sendTo()));
    setShellFolder(false, L"Desktop", desktop());
    setShellFolder(false, L"SendTo", sendTo());
}

ShellEnvironment::~ShellEnvironment() {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegCloseKey(scratch_);
    RegDeleteTreeW(HKEY_CURRENT_USER, scratchName_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, scratchName_.c_str());
}

void ShellEnvironment::setShellFolder(bool machine, const wchar_t* name, const std::optional<std::string>& folder) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                            machine ? kCommonShellFolders : kShellFolders, 0, KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    if (folder) {
        const std::wstring value = NativePath(*folder).native();
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       DWORD((value.size() + 1) * sizeof(wchar_t)));
    } else {
        RegDeleteValueW(key, name);
    }
    RegCloseKey(key);
}

std::string ShellEnvironment::home() const {
    return QDir::toNativeSeparators(dir_.path()).toLocal8Bit().toStdString() + "\\";
}
std::string ShellEnvironment::desktop() const {
    return home() + "Desktop\\";
}
std::string ShellEnvironment::sendTo() const {
    return home() + "SendTo\\";
}

std::optional<TLinkFacts> ReadShellLink(const std::string& path) {
    const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    std::optional<TLinkFacts> facts;
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(NativePath(path).c_str(), STGM_READ))) {
        wchar_t target[MAX_PATH] = {}, arguments[1024] = {}, folder[MAX_PATH] = {};
        link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
        link->GetArguments(arguments, 1024);
        link->GetWorkingDirectory(folder, MAX_PATH);
        facts = TLinkFacts{EightBitPath(target), EightBitPath(arguments), EightBitPath(folder)};
    }
    if (file != nullptr)
        file->Release();
    if (link != nullptr)
        link->Release();
    if (com)
        CoUninitialize();
    return facts;
}
#else
ShellEnvironment::ShellEnvironment()
    : savedHome_(qgetenv("HOME")), savedData_(qgetenv("XDG_DATA_HOME")), savedConfig_(qgetenv("XDG_CONFIG_HOME")),
      savedPath_(qgetenv("PATH")) {
    qputenv("HOME", dir_.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", (dir_.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (dir_.path() + QStringLiteral("/config")).toLocal8Bit());
    QDir().mkpath(dir_.path() + QStringLiteral("/Desktop"));
    // Only the programs a test puts there: the machine's own file managers must not decide where Send To goes.
    QDir().mkpath(dir_.path() + QStringLiteral("/bin"));
    qputenv("PATH", (dir_.path() + QStringLiteral("/bin")).toLocal8Bit());
}

ShellEnvironment::~ShellEnvironment() {
    qputenv("HOME", savedHome_);
    qputenv("XDG_DATA_HOME", savedData_);
    qputenv("XDG_CONFIG_HOME", savedConfig_);
    qputenv("PATH", savedPath_);
}

void ShellEnvironment::putOnPath(const std::string& program) const {
    const QString path = dir_.path() + QStringLiteral("/bin/") + QString::fromStdString(program);
    WriteWholeFile(path.toStdString(), "#!/bin/sh\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

std::string ShellEnvironment::home() const {
    return dir_.path().toStdString() + "/";
}
std::string ShellEnvironment::desktop() const {
    return home() + "Desktop/";
}
std::string ShellEnvironment::sendTo() const {
    return home() + "data/Thunar/sendto/";
}
#endif

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(NativePath(path), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(NativePath(path), std::ios::binary) << bytes;
}
