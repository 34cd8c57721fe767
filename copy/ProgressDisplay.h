#pragma once
// The progress display of a copy job: the bars follow the work events of each upload, and the
// timer's tick turns the byte counters into speed, elapsed and remaining time and the tray picture.

#include "ftp/TIdComponent.h"

#include <cstdint>
#include <string>

class TCopyHost;

namespace copyjob {

void WorkBegin(TCopyHost& host, TWorkMode mode, std::int64_t workCountMax);
void Work(TCopyHost& host, TWorkMode mode, std::int64_t workCount);
void WorkEnd(TCopyHost& host, TWorkMode mode);
// The size of the job just listed, and its bar at the start.
void ShowJobSize(TCopyHost& host);
void Tick(TCopyHost& host);

// One of the seven tray pictures "ICON0" .. "ICON6"; throws when there is none of that name.
void LoadTrayPicture(TCopyHost& host, const std::string& name);

} // namespace copyjob
