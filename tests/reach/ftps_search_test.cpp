// The server search with encryption on asks nothing about certificates: a candidate whose certificate the user
// has not accepted for its address and port is passed over (and logged), one accepted before is offered as usual.
// The check asks a server whose certificate is remembered for TLS even with the box off.
#include "ReachFixture.h"

#include "ftp/IdExceptions.h"
#include "ftp/TIdFTP.h"
#include "tests/support/CertificateProbe.h"
#include "tests/support/FakeFtpServer.h"
#include "tests/support/PyFtpdServer.h"

#include <algorithm>

using namespace Qt::StringLiterals;
using ferrylo::testing::FakeFtpServer;
using ferrylo::testing::PyFtpdServer;
using FtpsSearch = ReachFixture;

TEST_F(FtpsSearch, OffersOnlyServersWhoseCertificateWasAccepted) {
    PyFtpdServer server(PyFtpdServer::Tls::Required);
    const std::string fingerprint = ferrylo::testing::FingerprintOf(server);
    ASSERT_FALSE(fingerprint.empty());

    const QString scan = u"Связи c 127.0.0.2 нет , запустить сканер?"_s;
    const QString found = u"Связь Есть с 127.0.0.1, Сохранить адрес?"_s;
    for (const bool accepted : {false, true}) {
        SCOPED_TRACE(accepted);
        // Nothing listens on 127.0.0.2; the range holds only the server's 127.0.0.1.
        startHost(u"127.0.0.2"_s, server.port(), server.user(), server.password());
        host().ftp->UseTLS = true;
        if (accepted)
            writeFile(settingsFile(".ftps"),
                      "certificate=" + fingerprint + " 127.0.0.1:" + std::to_string(server.port()) + "\r\n");
        script_.clear();
        script_.answer(ui::Ok);
        if (accepted)
            script_.answer(ui::Cancel); // offered, not kept
        searchRange(u"1"_s, u"1"_s);
        clickCheck();

        EXPECT_EQ(shownTexts(), accepted ? QStringList({scan, found, kNoServer}) : QStringList({scan, kNoServer}));
        EXPECT_EQ(logLines().contains(u"Проверка связи с 127.0.0.1: сертификат сервера не подтвержден"_s), !accepted);
        EXPECT_FALSE(host().ftp->OnVerifyPeer) << "the client's own handler is back after the search";
    }
}

TEST_F(FtpsSearch, TheCheckAsksARememberedServerForTlsWithTheBoxOffAndSendsNoLogInWhenRefused) {
    FakeFtpServer server; // answers AUTH with 502
    startHost(u"127.0.0.1"_s, server.port(), server.options().user, server.options().password);
    writeFile(settingsFile(".ftps"), "certificate=AA:BB 127.0.0.1:" + std::to_string(server.port()) + "\r\n");
    script_.answer(ui::Cancel); // "запустить сканер?"
    clickCheck();

    server.waitForSessionEnd(std::chrono::seconds(5));
    const auto commands = server.commands();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.front(), "AUTH TLS");
    EXPECT_TRUE(std::none_of(commands.begin(), commands.end(),
                             [](const std::string& line) { return line.rfind("USER", 0) == 0; }));
    ASSERT_FALSE(shownTexts().isEmpty());
    EXPECT_TRUE(shownTexts().front().startsWith(u"Сервер не поддерживает шифрование (FTPS), хотя его сертификат"_s));
    EXPECT_FALSE(host().ftp->UseTLS);
}
