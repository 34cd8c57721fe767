#pragma once
// The engine's connection over SFTP: an SSH session whose host key the connection's host-key trust accepted, a
// log-in by password, agent or the user's keys, folders made by absolute path, and stores that resume where the
// server's copy ends. Names go as UTF-8, the only encoding SFTP has.

#include "copy/UploadConnection.h"
#include "copy/UploadJob.h"
#include "sftp/SftpClient.h"
#include "sftp/SshSession.h"

#include <memory>

namespace copyjob {

// The port of an SSH server typed without one.
inline constexpr int kSshPort = 22;

class TSftpConnection final : public TUploadConnection {
public:
    explicit TSftpConnection(const TClientSettings& settings);
    ~TSftpConnection() override;

    bool IsOpen() override { return client_ != nullptr && session_.IsOpen(); }
    bool Connect(TUploadHost& host) override;
    TFolderWalk MakeFolders(const std::string& path, TKnownFolders* known) override;
    bool CanResume() override { return true; }
    bool TellsSizes() override { return true; }
    std::optional<std::int64_t> RemoteSize(const std::string& remote) override;
    std::optional<TRemoteListing> ListFolder(const std::string& folder) override;
    std::vector<std::optional<std::int64_t>> RemoteModified(const std::vector<std::string>& remotes) override;
    void Store(const std::string& local, const std::string& remote, std::int64_t offset) override;
    TUploadFailure Classify(const std::exception_ptr& failure) override;
    bool IsRefusal(const std::exception_ptr& failure) override;
    bool RefusedForMissingFolder(const std::exception_ptr& failure) override;
    void Abort() override { session_.Cut(); }
    void Leave() override;

private:
    // Whether the server's host key passes the host's trust; nothing of the user is sent before.
    bool HostKeyPasses(TUploadHost& host, const std::string& typed, const std::string& name, int port);
    bool LogIn(TUploadHost& host);

    sftp::TSshLimits limits_;
    sftp::TSshSession session_;
    std::unique_ptr<sftp::TSftpClient> client_;
};

} // namespace copyjob
