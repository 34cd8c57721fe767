// The one decision about a certificate that no authority vouches for, in both modes: what passes, what is asked,
// what is refused and what the caller is told.
#include "ftps/CertificateTrust.h"

#include "ftp/TIdFTP.h"
#include "ftp/TIdSSLIOHandlerSocket.h"
#include "settings/Settings.h"
#include "ui/UiLayer.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

namespace {

using ftps::TCertificateStanding;
using ftps::TTrustMode;

TEST(CertificateTrust, EachModeAndStanding) {
    QTemporaryDir dir;
    SetSettingsBase(dir.filePath(QStringLiteral("ferrylo")).toStdString()); // a "Да" writes ".ftps" there
    TIdFTP ftp;
    ftp.SetServer("127.0.0.1:2121");
    const std::string key = ftps::CertificateKey(ftp);
    TIdTLSPeer peer;
    peer.HostName = "127.0.0.1";
    peer.Fingerprint = "11:22";
    const struct {
        const char* name;
        TTrustMode mode;
        const char* remembered;             // the fingerprint remembered for the server; "" for none
        std::optional<ui::MsgButton> reply; // to the question, when one is asked
        bool accepted;
        std::size_t boxes;
        std::optional<TCertificateStanding> told; // what OnRefused heard
    } rows[] = {
        {"remembered, asking", TTrustMode::Ask, "11:22", {}, true, 0, {}},
        {"remembered, quiet", TTrustMode::RememberedOnly, "11:22", {}, true, 0, {}},
        {"unknown, yes", TTrustMode::Ask, "", ui::Yes, true, 1, {}},
        {"unknown, no", TTrustMode::Ask, "", ui::No, false, 1, TCertificateStanding::Unknown},
        {"unknown, quiet", TTrustMode::RememberedOnly, "", {}, false, 0, TCertificateStanding::Unknown},
        {"changed, asking", TTrustMode::Ask, "AA:BB", {}, false, 1, TCertificateStanding::Changed},
        {"changed, quiet", TTrustMode::RememberedOnly, "AA:BB", {}, false, 0, TCertificateStanding::Changed},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TFtpsFile remembered;
        if (*row.remembered)
            remembered.SetCertificate(key, row.remembered);
        ui::testing::Script script;
        if (row.reply)
            script.answer(*row.reply);
        ftps::TCertificateTrust trust(row.mode, remembered);
        std::optional<TCertificateStanding> told;
        std::string toldRemembered;
        trust.OnRefused = [&](const ftps::TRefusal& refusal) {
            told = refusal.Standing;
            toldRemembered = refusal.Remembered;
        };
        EXPECT_EQ(trust.Accepts(ftp, "127.0.0.1:2121", peer), row.accepted);
        EXPECT_EQ(script.shown().size(), row.boxes);
        EXPECT_EQ(told, row.told);
        EXPECT_EQ(toldRemembered, row.told ? row.remembered : "");
        EXPECT_EQ(trust.Refused(), !row.accepted);
        // A "Да" is remembered for the operation; after a refusal nothing is asked again.
        script.clear();
        EXPECT_EQ(trust.Accepts(ftp, "127.0.0.1:2121", peer), row.accepted);
        EXPECT_TRUE(script.shown().empty());
    }
}

} // namespace
