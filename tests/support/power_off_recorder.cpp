// Stands where the power-off tool would be in tests: it only notes that it ran, in the file that
// FERRYLO_RECORDER_MARKER names, after FERRYLO_RECORDER_DELAY_MS (so a test sees whether its starter waited).
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

int main() {
    const char* marker = std::getenv("FERRYLO_RECORDER_MARKER");
    if (!marker || !*marker)
        return 2;
    if (const char* delay = std::getenv("FERRYLO_RECORDER_DELAY_MS"))
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(delay)));
    std::ofstream(marker) << "ran\n";
    return 0;
}
