// Shortcuts on Windows: shell links (".lnk") written through the shell's link object.
#include "shell/Shortcuts.h"

#include "shell/ShellFolders.h"
#include "shell/ShortcutPaths.h"
#include "util/NativePath.h"

#include <objbase.h>
#include <shlobj.h>
#include <stdexcept>
#include <windows.h>

namespace {

// The shell link object is a COM object: the thread needs COM, which the windows of the toolkit bring up but a
// program without them (or another thread) does not have. Joined when already there, left as it was found.
class ComForThisThread {
public:
    ComForThisThread() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComForThisThread() {
        if (initialised_)
            CoUninitialize();
    }
    ComForThisThread(const ComForThisThread&) = delete;
    ComForThisThread& operator=(const ComForThisThread&) = delete;

private:
    bool initialised_;
};

} // namespace

std::string ShortcutFileName(const std::string& baseName) {
    return baseName + ".lnk";
}

void CreateShortcut(const std::string& linkPath, const std::string& arguments, const std::string& target) {
    const ComForThisThread com;
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        throw std::runtime_error("Interface not supported");
    IPersistFile* file = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        link->Release();
        throw std::runtime_error("Interface not supported");
    }
    // Results of the setters and of the save are not examined: an unwritable place leaves no link.
    link->SetArguments(WideText(arguments).c_str());
    link->SetPath(NativePath(target).c_str());
    link->SetWorkingDirectory(NativePath(FolderWithSeparator(target)).c_str());
    file->Save(NativePath(linkPath).c_str(), FALSE);
    file->Release();
    link->Release();
}

void PlaceSendToShortcut(const std::string& name, const std::string& target) {
    CreateShortcut(SendToFolder() + name, std::string(), target);
}
