// Stands where the power-off tool would be in tests: it only notes that it ran, in the file that
// FERRYLO_RECORDER_MARKER names, after FERRYLO_RECORDER_DELAY_MS (so a test sees whether its starter waited).
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

int main() {
    const char* marker = std::getenv("FERRYLO_RECORDER_MARKER");
    if (!marker || !*marker)
        return 2;
    if (const char* delay = std::getenv("FERRYLO_RECORDER_DELAY_MS"))
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(delay)));
    // Written aside and renamed: the marker appears whole and closed, so a test may remove it at once (Windows
    // refuses to remove a file still open).
    const std::string part = std::string(marker) + ".part";
    std::ofstream(part) << "ran\n";
    std::error_code failed;
    std::filesystem::rename(part, marker, failed);
    return failed ? 1 : 0;
}
