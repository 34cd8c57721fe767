#pragma once
// The window's side of a running job: the engine's connections upload while the window's thread shows what they
// report (log lines, boxes, the bars and counters), begins the uploads' display once the first connection is
// ready, deletes each moved source after its own confirmed upload and keeps its event loop turning.

#include <cstddef>
#include <exception>
#include <string>

class TCopyHost;

namespace copyjob {

class TUploadEngine;

struct TJobEnd {
    enum { Done, NotConnected, Failed, Stopped } End = Done;
    bool Refused = false;     // NotConnected: a certificate was refused, and its box said why
    std::string FailedItem;   // the first file that failed
    std::exception_ptr Error; // an error of the job that it does not handle
    std::size_t Sent = 0;     // files stored
    std::size_t Skipped = 0;  // files the server held already
};

// Runs `engine` to its end for `host`; returns once every connection has left the server. `beginUploads` runs on
// the window's thread when the first connection has made the destination.
TJobEnd ShowUploads(TCopyHost& host, TUploadEngine& engine, void (*beginUploads)(TCopyHost&));

} // namespace copyjob
