#include "fuzz/ScratchFile.h"

#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>

namespace fuzz {

namespace {

class ScratchFolder {
public:
    // A new folder of a random name, never one that was there: two runs at once keep apart.
    ScratchFolder() {
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const auto candidate =
                std::filesystem::temp_directory_path() / ("ferrylo-fuzz-" + std::to_string(random()));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) {
                path_ = candidate.string();
                return;
            }
        }
        throw std::runtime_error("cannot make a scratch folder in " + std::filesystem::temp_directory_path().string());
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
