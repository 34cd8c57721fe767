// Uploads a file or a folder tree with the program's FTP client, the way the copy job drives it: per file, walk
// the remote folder from "/" with MKD (errors ignored) and CWD, back to "/", then STOR under the full path.
// Usage: ferrylo_ftp_bench HOST PORT USER PASSWORD passive|active LOCAL_PATH REMOTE_FOLDER
#include "ftp/TIdFTP.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Levels(const std::string& remoteFolder) {
    std::vector<std::string> levels;
    std::size_t start = 0;
    while (start < remoteFolder.size()) {
        const auto slash = remoteFolder.find('/', start);
        const auto end = slash == std::string::npos ? remoteFolder.size() : slash;
        if (end > start)
            levels.push_back(remoteFolder.substr(start, end - start));
        start = end + 1;
    }
    return levels;
}

void WalkTo(TIdFTP& ftp, const std::string& remoteFolder) {
    ftp.ChangeRemoteDir("/");
    for (const auto& level : Levels(remoteFolder)) {
        try {
            ftp.MakeRemoteDir(level);
        } catch (const std::exception&) {
        }
        ftp.ChangeRemoteDir(level);
    }
    ftp.ChangeRemoteDir("/");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 8) {
        std::fprintf(stderr, "usage: %s HOST PORT USER PASSWORD passive|active LOCAL_PATH REMOTE_FOLDER\n", argv[0]);
        return 2;
    }
    const fs::path local = argv[6];
    const std::string remoteRoot = argv[7];
    std::vector<fs::path> files;
    if (fs::is_directory(local)) {
        for (const auto& entry : fs::recursive_directory_iterator(local))
            if (entry.is_regular_file())
                files.push_back(entry.path());
    } else {
        files.push_back(local);
    }

    try {
        const auto start = std::chrono::steady_clock::now();
        TIdFTP ftp;
        ftp.SetHost(argv[1]);
        ftp.SetPort(std::stoi(argv[2]));
        ftp.Username = argv[3];
        ftp.Password = argv[4];
        ftp.Passive = std::string(argv[5]) == "passive";
        ftp.ConnectAndLogIn(true, -1);
        long long bytes = 0;
        for (const auto& file : files) {
            const fs::path relative = fs::is_directory(local) ? fs::relative(file, local) : file.filename();
            const std::string remoteFolder = (fs::path(remoteRoot) / relative.parent_path()).generic_string();
            WalkTo(ftp, remoteFolder);
            ftp.UploadFile(file.string(), (fs::path(remoteFolder) / relative.filename()).generic_string());
            bytes += static_cast<long long>(fs::file_size(file));
        }
        ftp.AbortTransfer();
        ftp.LeaveServer();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("files=%zu bytes=%lld seconds=%.3f\n", files.size(), bytes, seconds);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "upload failed: %s\n", error.what());
        return 1;
    }
}
