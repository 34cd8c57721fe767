#pragma once
// A copy job as one value: built once on the window's thread when the job starts, then read by every connection
// of the engine. A field edited in the window during the job is for the next job (the move box excepted: the
// window reads it for each file).

#include "copy/SourceFiles.h"
#include "ftp/TIdFTP.h"
#include "settings/ServerLogin.h"
#include "settings/Settings.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What shapes a connection of the client beyond the server and the login: mode, encryption, port, bounds,
// buffers, and whoever watches its work events besides the engine. Taken from a client (ClientSettingsOf).
struct TClientSettings {
    bool Passive = true;
    bool UseTLS = false;
    int DefaultPort = 21;
    int DataConnectTimeLimit = 0;
    int FollowUpTimeLimit = 0;
    int ConnectTimeLimit = 0;
    int ReplyTimeLimit = 0;
    int SendStallTimeLimit = 0;
    int ReadTimeout = 0;
    int MaxLineLength = 0;
    int RecvBufferSize = 0;
    int SendBufferSize = 0;
    std::string BoundIP;
    TIdFTPTransferType TransferType = ftBinary;
    // Called on the connection's thread after the engine's own handling.
    std::function<void(TIdComponent*, TWorkMode, std::int64_t)> OnWorkBegin;
    std::function<void(TIdComponent*, TWorkMode, std::int64_t)> OnWork;
    std::function<void(TIdComponent*, TWorkMode)> OnWorkEnd;
};

// The settings of `model` (the window's client), and a new client set up with them.
TClientSettings ClientSettingsOf(const TIdFTP& model);
void ApplyClientSettings(const TClientSettings& settings, TIdFTP& client);

// Whether this build speaks SFTP (a build without the SSH library does not).
#ifdef FERRYLO_SFTP
inline constexpr bool kSftpAvailable = true;
#else
inline constexpr bool kSftpAvailable = false;
#endif

struct TUploadJob {
    std::vector<std::string> Files; // in upload order, as listed when the job started
    TSourceSnapshot Source;
    std::string Destination; // checked: an absolute remote folder
    TServerLogin Login;
    TClientSettings Client = ClientSettingsOf(TIdFTP{});
    bool Sftp = false; // SFTP over SSH instead of FTP; the client settings give its bounds
    TCopyOptions Options;
    std::size_t Connections = 1; // 1 to 8, never more than files
    std::vector<int> RetryWaitsMs;
};
