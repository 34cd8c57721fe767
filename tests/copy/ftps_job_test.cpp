// The copy job with encryption: over a TLS-only server the files arrive after one question about its certificate
// and the log names the TLS version; a server that refuses TLS is no connection, said in words, and never hears the
// log-in, even with the box off when its certificate is remembered; a certificate that another connection of the
// job sees changed is told as the first connection would tell it.
#include "CopyJobFixture.h"

#include "copy/UploadLane.h"

#include "ftp/IdExceptions.h"
#include "ftp/TIdFTP.h"
#include "settings/FtpsFile.h"
#include "settings/Settings.h"
#include "tests/support/CertificateProbe.h"
#include "tests/support/FakeFtpServer.h"
#include "tests/support/PyFtpdServer.h"

#include <QDateTime>
#include <algorithm>
#include <fstream>

using ferrylo::testing::FakeFtpServer;
using ferrylo::testing::PyFtpdServer;

using ferrylo::testing::FingerprintOf;

namespace {

using FtpsCopyTest = CopyJobFixture;

void TempPut(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

bool SentUser(const std::vector<std::string>& commands) {
    return std::any_of(commands.begin(), commands.end(), [](const std::string& line) {
        return line.rfind("USER", 0) == 0 || line.rfind("PASS", 0) == 0;
    });
}

TEST_F(FtpsCopyTest, OneQuestionNamesTheCertificateYesUploadsAndIsRememberedNoSaysNothingMore) {
    PyFtpdServer server(PyFtpdServer::Tls::Required);
    const std::string fingerprint = FingerprintOf(server);
    const std::string key = "127.0.0.1:" + std::to_string(server.port());
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes);
        const std::string folder = makeFolder("src/data");
        makeFile("src/data/a.txt", "alpha");
        pointAt(server.host(), server.port(), server.user(), server.password());
        host().ftp.UseTLS = true;
        setSource(folder, "*.*", "/in");
        script_.clear();
        script_.answer(ui::No); // the move question
        script_.answer(yes ? ui::Yes : ui::No);
        startJob();

        const auto texts = script_.texts();
        ASSERT_EQ(texts.size(), 2u) << "the move question and the certificate's; no \"Нет связи\" after a No";
        const QString question = texts[1];
        const QString today = QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy"));
        for (const QString& part :
             {QStringLiteral("Сертификат сервера не подтвержден."), QStringLiteral("\nСервер: 127.0.0.1\n"),
              QStringLiteral("\nКому выдан: 127.0.0.1\n"), QStringLiteral("\nКем выдан: 127.0.0.1\n"),
              QStringLiteral("\nДействителен: с ") + today,
              QStringLiteral("\nПочему не подтвержден: сертификат самоподписанный"),
              QStringLiteral("\n\nДоверять этому серверу?")})
            EXPECT_TRUE(question.contains(part)) << part.toStdString() << " in " << question.toStdString();
        // Four lines of eight pairs, the stored form once joined.
        const QStringList grouped = question.section(QStringLiteral("Отпечаток SHA-256:\n"), 1)
                                        .section(QStringLiteral("\n\n"), 0, 0)
                                        .split(QLatin1Char('\n'));
        EXPECT_EQ(grouped.size(), 4);
        EXPECT_EQ(grouped.front().size(), 8 * 3 - 1);
        EXPECT_EQ(grouped.join(QLatin1Char(':')).toStdString(), fingerprint);

        EXPECT_TRUE(errors().empty()) << server.log();
        EXPECT_EQ(TFtpsFile::Read(SettingsFile(FtpsSuffix)).Certificate(key), yes ? fingerprint : "");
        EXPECT_EQ(readFile(server.root() / "in/data/a.txt"), yes ? "alpha" : "");
        if (yes) {
            EXPECT_EQ(logTexts().at(0).rfind(": Шифрованное соединение (TLS 1.", 0), 0u);
        }
    }
}

// A server that refuses TLS, and one that stops in the middle of the handshake: each is named as a failure of the
// encryption, and neither hears the log-in.
TEST_F(FtpsCopyTest, ServerWithoutTlsIsNoConnectionAndHearsNoLogIn) {
    const std::string folder = makeFolder("src/data");
    makeFile("src/data/a.txt", "a");
    const std::pair<bool, QString> cases[] = {
        {false, QStringLiteral("Сервер не поддерживает шифрование (FTPS)")},
        {true, QStringLiteral("Не удалось установить шифрованное соединение (FTPS)")},
    };
    for (const auto& [stalls, said] : cases) {
        SCOPED_TRACE(stalls);
        FakeFtpServer server; // answers AUTH with 502
        if (stalls)
            server.stallAfter("AUTH", "234 Go ahead.");
        pointAt(server.host(), server.port(), server.options().user, server.options().password);
        host().ftp.UseTLS = true;
        host().ftp.ReplyTimeLimit = 300;
        host().log.clear();
        setSource(folder, "*.*", "/in");
        script_.clear();
        startJobKeepingSources();

        const auto texts = script_.texts();
        ASSERT_GE(texts.size(), 2u);
        EXPECT_EQ(texts[texts.size() - 2], said);
        EXPECT_EQ(texts.back(), QStringLiteral("Нет связи"));
        EXPECT_EQ(logTexts(), std::vector<std::string>{": " + said.toStdString()});
        server.waitForSessionEnd(std::chrono::seconds(2)); // the silent one never ends by itself
        EXPECT_FALSE(SentUser(server.commands()));
        EXPECT_TRUE(server.stored().empty());
    }
}

// With "Шифрование (FTPS)" off, a server whose certificate is remembered still gets TLS first: the real one
// takes the files without a question, over one connection or several; the one that refuses TLS hears neither
// login nor password.
TEST_F(FtpsCopyTest, ARememberedServerGetsTlsWithTheBoxOff) {
    const std::string folder = makeFolder("src/data");
    makeFile("src/data/a.txt", "alpha");
    makeFile("src/data/b.txt", "beta");
    setSource(folder, "*.*", "/in");
    for (const int connections : {1, 2}) {
        SCOPED_TRACE(connections);
        PyFtpdServer server(PyFtpdServer::Tls::Required);
        TempPut(SettingsFile(FtpsSuffix),
                "certificate=" + FingerprintOf(server) + " 127.0.0.1:" + std::to_string(server.port()) + "\r\n");
        pointAt(server.host(), server.port(), server.user(), server.password());
        host().options.ParallelUploads = connections;
        startJobKeepingSources(); // a question would find no answer and fail the test
        EXPECT_TRUE(errors().empty());
        EXPECT_EQ(readFile(server.root() / "in/data/a.txt"), "alpha") << server.log();
        EXPECT_EQ(readFile(server.root() / "in/data/b.txt"), "beta") << server.log();
        EXPECT_FALSE(host().ftp.UseTLS) << "the box stays as it was";
    }
    host().options.ParallelUploads = 1;
    FakeFtpServer server; // answers AUTH with 502
    TempPut(SettingsFile(FtpsSuffix), "certificate=AA:BB 127.0.0.1:" + std::to_string(server.port()) + "\r\n");
    pointAt(server.host(), server.port(), server.options().user, server.options().password);
    script_.clear();
    startJobKeepingSources();
    server.waitForSessionEnd(std::chrono::seconds(5));
    const auto commands = server.commands();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.front(), "AUTH TLS");
    EXPECT_FALSE(SentUser(commands));
    const auto texts = script_.texts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_TRUE(texts[1].startsWith(QStringLiteral("Сервер не поддерживает шифрование (FTPS), хотя его сертификат был "
                                                   "подтвержден раньше. Логин и пароль не отправлены")))
        << texts[1].toStdString();
}

// A connection other than the first goes only by the certificates it was handed: one that changed since is refused
// in the words the first connection would use, as a box for the window (which shows each text once a job).
TEST_F(FtpsCopyTest, AnotherConnectionRefusesAChangedCertificateInTheFirstOnesWords) {
    PyFtpdServer server(PyFtpdServer::Tls::Required);
    TUploadJob job;
    job.Files = {makeFile("src/a", "a")};
    job.Source = SnapshotSource(programFolder() + "src", "*.*", "");
    job.Destination = "/in";
    job.Login = {server.host(), server.user(), server.password()};
    job.Client.UseTLS = true;
    job.Client.DefaultPort = server.port();
    TFtpsFile changed;
    changed.SetCertificate("127.0.0.1:" + std::to_string(server.port()), "AA:BB:CC");
    TLaneBoard board(job.Files.size(), 2);
    const TKnownFolders known;
    copyjob::TRemoteListings listings;
    copyjob::TUploadLane lane(board, 1, job, known, listings,
                              ftps::TCertificateTrust(ftps::TTrustMode::RememberedOnly, changed));
    lane.Start();
    lane.Join();

    std::vector<QString> boxes;
    for (const TLaneMessage& message : board.Look(0).Messages) {
        if (message.Note == TLaneNote::Message)
            boxes.push_back(QString::fromStdU16String(message.Text));
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("Сертификат сервера 127.0.0.1 изменился, соединение отклонено.")));
    EXPECT_TRUE(boxes[0].contains(QStringLiteral("Подтвержденный ранее отпечаток SHA-256:\nAA:BB:CC")));
    EXPECT_TRUE(boxes[0].contains(QStringLiteral("ferrylo.ftps")));
    EXPECT_EQ(readFile(server.root() / "in" / "a"), "") << "nothing went";
}

} // namespace
