#pragma once
// The engine's connection over FTP, and FTPS when the job asks for it: the program's FTP client, the folder walk
// one level at a time with "CWD" and "MKD", stores with the full path after "CWD /".

#include "copy/UploadConnection.h"
#include "copy/UploadJob.h"
#include "ftp/TIdFTP.h"

namespace copyjob {

class TFtpConnection final : public TUploadConnection {
public:
    explicit TFtpConnection(const TClientSettings& settings);

    bool IsOpen() override { return ftp_.IsOpen(); }
    bool Connect(TUploadHost& host) override;
    TFolderWalk MakeFolders(const std::string& path, TKnownFolders* known) override;
    bool CanResume() override;
    bool TellsSizes() override;
    std::optional<std::int64_t> RemoteSize(const std::string& remote) override;
    std::optional<TRemoteListing> ListFolder(const std::string& folder) override;
    std::vector<std::optional<std::int64_t>> RemoteModified(const std::vector<std::string>& remotes) override;
    void Store(const std::string& local, const std::string& remote, std::int64_t offset) override;
    TUploadFailure Classify(const std::exception_ptr& failure) override;
    bool IsRefusal(const std::exception_ptr& failure) override;
    bool RefusedForMissingFolder(const std::exception_ptr& failure) override;
    void Abort() override;
    void Leave() override;

private:
    TIdFTP ftp_;
};

} // namespace copyjob
