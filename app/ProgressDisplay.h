#pragma once
// The progress display of a copy job: the size of the job, the bars, and the timer's tick that turns the byte counters
// into speed, elapsed and remaining time and the tray picture.

#include "copy/LaneBoard.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class TCopyHost;

namespace copyjob {

// The size of the job just listed, and its bar at the start.
void ShowJobSize(TCopyHost& host);
// A file of `bytes` that the job does not send after all (the server holds it): the size, the bar, the time left
// and the tray pictures count only what is sent.
void LeaveOutOfJob(TCopyHost& host, std::int64_t bytes);
// The bars and counters from the bytes of the files done and what each connection is sending; the file bar
// follows the file closest to its end.
void ShowProgress(TCopyHost& host, const std::vector<std::optional<TLaneFile>>& sending, std::int64_t finished);
void Tick(TCopyHost& host);

// One of the seven tray pictures "ICON0" .. "ICON6"; throws when there is none of that name.
void LoadTrayPicture(TCopyHost& host, const std::string& name);

} // namespace copyjob
