#pragma once
// The copy job's use of the FTP client: connecting, walking a remote folder chain, one upload.

#include <string>

class TCopyHost;
class TIdFTP;

namespace copyjob {

// Closes a connection left open, then connects and logs in with FtpSettings; true when logged in.
bool ConnectToServer(TCopyHost& host, const std::string& server);

// Creates every folder of an absolute remote path one level at a time; the server is left in "/".
// A folder that cannot be entered throws.
void MakeRemotePath(TIdFTP& ftp, const std::string& path);

// Stores one local file under its full remote path, its folders made first; true when stored.
bool UploadOne(TCopyHost& host, const std::string& local, const std::string& remote);

} // namespace copyjob
