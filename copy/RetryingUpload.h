#pragma once
// One file of the copy job with its retries: a failure that may pass gets a new connection and
// another try after each of the state's waits, resumed where the server's copy ends when it can be.

#include <string>

class TUploadHost;

namespace copyjob {

enum class TFileOutcome { Stored, Skipped, Failed, Stopped }; // Skipped: the server holds it already

// Needs a connection in place (or tries to make one, as the first attempt always has).
TFileOutcome UploadWithRetries(TUploadHost& host, const std::string& item, const std::string& remote);

// How one file of the job ended: UploadWithRetries, then, before a move may delete the source, the server's size
// must match the local one: a server that holds another is as good as a failed upload.
struct TFileResult {
    TFileOutcome Outcome = TFileOutcome::Failed;
    bool Confirmed = false; // the upload's tally saw every byte of the source as it is now
};
TFileResult UploadAndVerify(TUploadHost& host, const std::string& item, const std::string& remote, bool moving);

// Waits `ms`; false when the job was stopped meanwhile.
bool WaitUnlessStopped(const TUploadHost& host, int ms);

} // namespace copyjob
