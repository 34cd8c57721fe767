// The server search with encryption on asks nothing about certificates: a candidate whose certificate the user
// has not accepted for its address is passed over (and logged), one accepted before is offered as usual.
#include "ReachFixture.h"

#include "ftp/IdExceptions.h"
#include "ftp/TIdFTP.h"
#include "tests/support/PyFtpdServer.h"

using namespace Qt::StringLiterals;
using ferrylo::testing::PyFtpdServer;
using FtpsSearch = ReachFixture;

TEST_F(FtpsSearch, OffersOnlyServersWhoseCertificateWasAccepted) {
    PyFtpdServer server(PyFtpdServer::Tls::Required);
    std::string fingerprint;
    TIdFTP probe;
    probe.SetHost(server.host());
    probe.SetPort(server.port());
    probe.UseTLS = true;
    probe.OnVerifyPeer = [&fingerprint](const TIdTLSPeer& peer) {
        fingerprint = peer.Fingerprint;
        return false;
    };
    EXPECT_THROW(probe.ConnectAndLogIn(false), EIdTLSPeerRejected);
    ASSERT_FALSE(fingerprint.empty());

    const QString scan = u"Связи c 127.0.0.2 нет , запустить сканер?"_s;
    const QString found = u"Связь Есть с 127.0.0.1, Сохранить адрес?"_s;
    for (const bool accepted : {false, true}) {
        SCOPED_TRACE(accepted);
        // Nothing listens on 127.0.0.2; the range holds only the server's 127.0.0.1.
        startHost(u"127.0.0.2"_s, server.port(), server.user(), server.password());
        host().ftp->UseTLS = true;
        if (accepted)
            writeFile(settingsFile(".ftps"), "certificate=" + fingerprint + " 127.0.0.1\r\n");
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
