#pragma once
// The copy job's files over several connections at once ("Параллельных загрузок"). Each connection runs on a
// thread of its own and takes the next file of the list as it becomes free; the window's thread meanwhile shows
// the log and the progress, deletes each moved source after its own confirmed upload and keeps the window alive.
// A failure starts no new file and lets the running ones end; a stop cuts them all.

#include <cstddef>
#include <exception>
#include <string>

class TCopyHost;
struct TSourceSnapshot;

namespace copyjob {

struct TParallelEnd {
    enum { Done, Failed, Stopped } End = Done;
    std::string FailedItem;   // the first file that failed
    std::exception_ptr Error; // an error of it that the job does not handle
};

// Uploads the host's source list over up to `connections` new connections, set up as the host's client is,
// into the host's destination. Returns when every connection has left the server.
TParallelEnd UploadInParallel(TCopyHost& host, const TSourceSnapshot& source, std::size_t connections);

} // namespace copyjob
