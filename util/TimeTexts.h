#pragma once
// Times as the log and the progress display write them.

#include <cstdint>
#include <ctime>
#include <string>

// The current date and time: "dd-mm-yyyy", a blank, the time of day in the locale's own format.
std::string NowStamp();

// The same for a given moment (local time).
std::string StampOf(std::time_t moment);

// Seconds as H:MM:SS; the hours have no leading zeros and no upper limit (3725 -> "1:02:05").
std::string SecondsToClock(std::int32_t seconds);
