#pragma once
// The arithmetic of the progress display: bar scales and positions in kilobytes, the total size
// text, the average speed, the remaining time and the tray stage. Pure functions of the counters.

#include <cstdint>
#include <stdexcept>
#include <string>

// A value that does not fit where it has to go (a progress bar's 32-bit range, a time in seconds).
class ERangeError : public std::range_error {
public:
    ERangeError() : std::range_error("Range check error") {}
};

// Kilobytes of a byte count, as a bar's scale: count div 1024. Raises ERangeError beyond 32 bits.
int KilobyteScale(std::int64_t bytes);

// Position of the current file's bar: 40 kilobytes ahead of the bytes sent, so it looks full
// before the last chunk; positions beyond 32 bits show as a full bar anyway and are capped.
int FileBarPosition(std::int64_t sentOfFile);

// Position of the whole job's bar: (finished + sent of the current file + 40 bytes) div 1024.
int JobBarPosition(std::int64_t finishedBytes, std::int64_t sentOfFile);

// The total size as shown: whole megabytes (div 1024 div 1024) and " Mb".
std::string TotalSizeText(std::int64_t totalBytes);

// The current date and time in days, the unit of the job's start time.
double NowInDays();

// Whole seconds between two moments given in days, never below 0.
std::int64_t WholeSecondsBetween(double startDays, double nowDays);

// An elapsed span as a clock in the locale's long time format (the hours of a day).
std::string ElapsedClockText(std::int64_t seconds);

// Average speed in whole kilobytes per second; a span of 0 seconds counts as 1.
std::int64_t AverageSpeedKB(std::int64_t sentBytes, std::int64_t seconds);

// Seconds left at the average speed (a speed of 0 counts as 1 kB/s); never below 0. Raises
// ERangeError when it does not fit 32 bits.
std::int32_t RemainingSeconds(std::int64_t totalBytes, std::int64_t sentBytes, std::int64_t speedKB);

// Stage 0..6 of the tray picture: sent bytes over a sixth of the total, rounded half to even. A job
// of no bytes (step 0) stays at stage 0. Values beyond the int range are capped.
int TrayStage(std::int64_t sentBytes, double iconStep);
