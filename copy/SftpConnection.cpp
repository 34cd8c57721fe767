#include "copy/SftpConnection.h"

#include "copy/KnownFolders.h"
#include "copy/LogLine.h"
#include "copy/RemotePath.h"
#include "copy/SourceFiles.h"
#include "copy/UploadHost.h"
#include "ftp/FileStream.h"
#include "ftp/ServerAddress.h"
#include "ftps/HostKeyTrust.h"
#include "sftp/KnownHosts.h"
#include "sftp/LogIn.h"
#include "ui/SystemText.h"
#include "ui/UiLayer.h"
#include "ui/WindowThread.h"
#include "util/WireText.h"

#include <libssh2_sftp.h>

namespace copyjob {
namespace {

const sftp::ESshError* SshErrorOf(const std::exception_ptr& failure, const sftp::ESshError*& holder) {
    try {
        std::rethrow_exception(failure);
    } catch (const sftp::ESshError& error) {
        holder = &error;
    } catch (...) {
        holder = nullptr;
    }
    return holder;
}

// The status of a refusal by the server; -1 for any other failure.
int RefusalStatus(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const sftp::ESshError& error) {
        return error.Failure() == sftp::TSshFailure::Refused ? error.Code() : -1;
    } catch (...) {
        return -1;
    }
}

ftps::THostKeyFacts::TStanding StandingOf(sftp::THostKeyStanding standing) {
    switch (standing) {
    case sftp::THostKeyStanding::Known:
        return ftps::THostKeyFacts::TStanding::Known;
    case sftp::THostKeyStanding::Changed:
        return ftps::THostKeyFacts::TStanding::Changed;
    default:
        return ftps::THostKeyFacts::TStanding::Unknown;
    }
}

QString MethodText(const std::string& method) {
    if (method == "password")
        return QStringLiteral("по паролю");
    if (method == "agent")
        return QStringLiteral("через агент SSH");
    if (method == "none")
        return QStringLiteral("без пароля");
    return QStringLiteral("по ключу ") + QString::fromStdString(method);
}

} // namespace

TSftpConnection::TSftpConnection(const TClientSettings& settings)
    : limits_{settings.ConnectTimeLimit, settings.ReplyTimeLimit} {}

TSftpConnection::~TSftpConnection() {
    Leave();
}

bool TSftpConnection::Connect(TUploadHost& host) {
    Leave();
    const TServerLogin login = host.ServerLogin();
    const std::optional<TServerAddress> address = ParseServerAddress(login.Server, kSshPort);
    if (!address)
        return false; // a port that is none reaches no server
    try {
        session_.Open(address->Host, address->Port, limits_);
        if (!HostKeyPasses(host, login.Server, address->Host, address->Port) || !LogIn(host)) {
            Leave();
            return false;
        }
        client_ = std::make_unique<sftp::TSftpClient>(session_);
    } catch (const sftp::ESshError& error) {
        Leave();
        if (error.Failure() == sftp::TSshFailure::Stopped)
            return false;
        host.AppendLog(StampedLine(QStringLiteral("Нет связи с сервером SSH: ") + QString::fromUtf8(error.what())));
        return false;
    }
    return true;
}

bool TSftpConnection::HostKeyPasses(TUploadHost& host, const std::string& typed, const std::string& name, int port) {
    const std::string file = sftp::UserKnownHostsPath();
    const sftp::THostKey& key = session_.HostKey();
    const sftp::THostKeyCheck check = sftp::CheckHostKey(file, name, port, key);
    const ftps::THostKeyFacts facts{.Typed = typed,
                                    .TypeName = key.TypeName,
                                    .Fingerprint = key.Fingerprint,
                                    .Standing = StandingOf(check.Standing),
                                    .KnownHostsPath = file,
                                    .Line = check.Line,
                                    .Remembered = check.RememberedFingerprint};
    return host.State().HostKeys.Accepts(facts, [&] { return sftp::RememberHostKey(file, name, port, key); });
}

bool TSftpConnection::LogIn(TUploadHost& host) {
    const TServerLogin login = host.ServerLogin();
    // A key under a passphrase asks for it on the window's thread.
    const auto askPassphrase = [](const std::string& keyPath) {
        std::optional<std::string> answer;
        ui::RunOnWindowThread([&] {
            if (const std::optional<QString> typed = ui::InputBox(
                    QStringLiteral("Ключ SSH"),
                    QStringLiteral("Пароль ключа ") + QString::fromStdString(keyPath) + QStringLiteral(":"), {},
                    ui::InputEcho::Password))
                answer = typed->toStdString();
        });
        return answer;
    };
    const sftp::TLogInResult result =
        sftp::LogIn(session_, login.Login, login.Password, sftp::UserKeyFolder(), askPassphrase);
    if (result.LoggedIn) {
        host.AppendLog(StampedLine(QStringLiteral("Вход на сервер SSH ") + MethodText(result.Method)));
        return true;
    }
    const QString refusal =
        QStringLiteral("Сервер не принял вход. Сервер принимает: ") +
        QString::fromStdString(result.ServerMethods).replace(QLatin1Char(','), QStringLiteral(", "));
    host.AppendLog(StampedLine(refusal));
    host.ShowMessageBox(refusal);
    return false;
}

TFolderWalk TSftpConnection::MakeFolders(const std::string& path, TKnownFolders* known) {
    const std::vector<std::string> names = RemoteWalkNames(path);
    const std::size_t first = known ? known->StartFor(names).KnownNames : 0;
    if (first == names.size())
        return {first, std::nullopt};
    // Most often the folder is there: one look at it saves a round trip or two for each of its levels.
    if (const std::optional<sftp::TRemoteEntry> there = client_->Stat(Utf8FromEightBit(path)); there && there->Folder) {
        if (known)
            known->Remember(names, names.size());
        return {first, std::nullopt};
    }
    for (std::size_t i = first; i < names.size(); ++i) {
        client_->MakeFolder(Utf8FromEightBit(TKnownFolders::PathOf(names, i + 1)));
        if (known)
            known->Remember(names, i + 1);
    }
    // The folder was not there a moment ago; of the folders above it, the server does not say which it had.
    return {first, names.empty() ? std::nullopt : std::optional<std::size_t>(names.size() - 1)};
}

std::optional<TRemoteListing> TSftpConnection::ListFolder(const std::string& folder) {
    const std::optional<std::vector<sftp::TNamedEntry>> entries = client_->ListFolder(Utf8FromEightBit(folder));
    if (!entries)
        return std::nullopt;
    TRemoteListing listing;
    for (const sftp::TNamedEntry& named : *entries) {
        const sftp::TRemoteEntry& entry = named.Entry;
        listing.Add(EightBitFromUtf8(named.Name),
                    {.File = entry.File, .Folder = entry.Folder, .Size = entry.Size, .ModifiedUtc = entry.ModifiedUtc});
    }
    return listing;
}

std::vector<std::optional<std::int64_t>> TSftpConnection::RemoteModified(const std::vector<std::string>& remotes) {
    std::vector<std::optional<std::int64_t>> times;
    for (const std::string& remote : remotes) {
        const std::optional<sftp::TRemoteEntry> entry = client_->Stat(Utf8FromEightBit(remote));
        times.push_back(entry ? entry->ModifiedUtc : std::nullopt);
    }
    return times;
}

std::optional<std::int64_t> TSftpConnection::RemoteSize(const std::string& remote) {
    const std::optional<sftp::TRemoteEntry> entry = client_->Stat(Utf8FromEightBit(remote));
    if (!entry || entry->Folder)
        return std::nullopt;
    return entry->Size;
}

void TSftpConnection::Store(const std::string& local, const std::string& remote, std::int64_t offset) {
    const std::int64_t size = FileSizeOf(local).value_or(0);
    if (Events.Begin)
        Events.Begin(std::max<std::int64_t>(size - offset, 0));
    client_->Upload(local, Utf8FromEightBit(remote), offset, [this](std::int64_t sent) {
        if (Events.Work)
            Events.Work(sent);
    });
    if (Events.End)
        Events.End();
}

TUploadFailure TSftpConnection::Classify(const std::exception_ptr& failure) {
    const sftp::ESshError* error = nullptr;
    if (SshErrorOf(failure, error) != nullptr && sftp::MayPass(*error))
        return TUploadFailure::MayPass;
    return TUploadFailure::WillLast;
}

bool TSftpConnection::IsRefusal(const std::exception_ptr& failure) {
    return RefusalStatus(failure) >= 0;
}

bool TSftpConnection::RefusedForMissingFolder(const std::exception_ptr& failure) {
    const int status = RefusalStatus(failure);
    return status == LIBSSH2_FX_NO_SUCH_FILE || status == LIBSSH2_FX_NO_SUCH_PATH;
}

void TSftpConnection::Leave() {
    client_.reset();
    session_.Close();
}

} // namespace copyjob
