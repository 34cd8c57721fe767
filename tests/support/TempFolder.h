#pragma once
// A fresh folder for one test, removed afterwards, with small helpers for raw file content.

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "ferrylo-test-") {
        // A name nobody else holds: creating the folder is the test, on every system.
        std::random_device random;
        do
            path_ = std::filesystem::temp_directory_path() / (prefix + std::to_string(random()));
        while (!std::filesystem::create_directory(path_));
    }
    ~TempFolder() {
        // Windows deletes no read-only file: what a test made read-only is made writable first.
        std::error_code ec, ignored;
        for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string File(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& Path() const { return path_; }

    static void Put(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }
    static std::string Get(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

private:
    std::filesystem::path path_;
};
