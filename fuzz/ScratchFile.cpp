#include "fuzz/ScratchFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace fuzz {

namespace {

class ScratchFolder {
public:
    ScratchFolder() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/ferrylo-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a scratch folder: " + std::string(std::strerror(errno)));
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

} // namespace

std::string WriteScratchFile(std::string_view suffix, const uint8_t* data, size_t size) {
    static const ScratchFolder folder;
    const std::string path = folder.Path() + "/ferrylo" + std::string(suffix);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        throw std::runtime_error("cannot create " + path);
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written)
        throw std::runtime_error("cannot write " + path);
    return path;
}

} // namespace fuzz
