// Windows only, run under Wine by tools/windows-test.sh: the client over Winsock against a real server
// (pyftpdlib on 127.0.0.1, started by the script, which passes its port and root), and the bytes a Russian
// Windows puts on the wire for a Cyrillic login and folder.
#include "ftp/TIdFTP.h"

#include <gtest/gtest.h>

#include <QString>

#include <winsock2.h>
#include <ws2tcpip.h>
#undef SetPort // the printer API's macro would rename TIdFTP::SetPort here

#include "tests/support/EightBitText.h"
#include "tests/support/PyFtpdServer.h"
#include "tests/support/Utf8Path.h"
#include "util/NativePath.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

using ferrylo::testing::PyFtpdServer;

namespace {

std::string Contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Logs `ftp` in to the test server.
void LogIn(TIdFTP& ftp, const PyFtpdServer& server, bool passive) {
    ftp.SetHost(server.host());
    ftp.SetPort(server.port());
    ftp.Username = server.user();
    ftp.Password = server.password();
    ftp.Passive = passive;
    ftp.ConnectAndLogIn(true, -1);
}

TEST(WindowsUpload, ArrivesWholeInBothModes) {
    if (const std::string why = PyFtpdServer::Unavailable(); !why.empty())
        GTEST_SKIP() << why;
    const PyFtpdServer server;
    std::string data(3 << 20, '\0');
    std::mt19937 random(7);
    for (char& byte : data)
        byte = static_cast<char>(random());
    const fs::path local = fs::temp_directory_path() / "ferrylo-wire.bin";
    std::ofstream(local, std::ios::binary) << data;

    for (const bool passive : {true, false}) {
        TIdFTP ftp;
        LogIn(ftp, server, passive);
        const std::string name = passive ? "passive.bin" : "active.bin";
        ftp.UploadFile(local.string(), "/" + name, false);
        ftp.LeaveServer();
        EXPECT_EQ(Contents(server.root() / name), data) << name;
    }
    fs::remove(local);
}

// pyftpdlib lists UTF8: a Cyrillic file, named in Windows-1251, lands under its name in UTF-8, as every other
// client of a Linux server shows it.
TEST(WindowsUpload, CyrillicNamesArriveInUtf8AtARealServer) {
    SKIP_UNLESS_RUSSIAN_CODE_PAGE();
    if (const std::string why = PyFtpdServer::Unavailable(); !why.empty())
        GTEST_SKIP() << why;
    const PyFtpdServer server;
    const CyrillicName& name = kCyrillicNames[0];
    const fs::path local = fs::temp_directory_path() / Utf8Path(name.utf8);
    std::ofstream(local, std::ios::binary) << name.utf8;
    TIdFTP ftp;
    LogIn(ftp, server, true);
    ftp.TryMakeRemoteDir(name.EightBit());
    ftp.ChangeRemoteDir(name.EightBit());
    ftp.UploadFile(EightBitPath(local), name.EightBit(), false);
    ftp.LeaveServer();
    EXPECT_EQ(Contents(server.root() / Utf8Path(name.utf8) / Utf8Path(name.utf8)), name.utf8);
    fs::remove(local);
}

// A one-connection server on 127.0.0.1 that answers every command and keeps the lines as they came; FEAT gets
// `features` (several lines apart by CR LF).
class LineRecorder {
public:
    explicit LineRecorder(std::string features = "502 no features") : features_(std::move(features)) {
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int length = sizeof address;
        bind(listener_, reinterpret_cast<sockaddr*>(&address), length);
        listen(listener_, 1);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~LineRecorder() { Finish(); }
    int Port() const { return port_; }
    // The lines, once the client has gone (or never came).
    const std::vector<std::string>& Finish() {
        if (thread_.joinable()) {
            closesocket(listener_); // ends a wait for a client that never came
            thread_.join();
        }
        return lines_;
    }

private:
    void Serve() {
        const SOCKET peer = accept(listener_, nullptr, nullptr);
        if (peer == INVALID_SOCKET)
            return;
        DWORD bound = 5000; // a client that stops talking ends the test, not the run
        setsockopt(peer, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&bound), sizeof bound);
        Say(peer, "220 ready");
        std::string pending;
        char buffer[512];
        for (int got; (got = recv(peer, buffer, sizeof buffer, 0)) > 0;) {
            pending.append(buffer, got);
            for (std::size_t end; (end = pending.find("\r\n")) != std::string::npos; pending.erase(0, end + 2)) {
                const std::string line = pending.substr(0, end);
                lines_.push_back(line);
                const std::string verb = line.substr(0, 4);
                Say(peer, verb == "USER"   ? "331 password"
                          : verb == "PASS" ? "230 in"
                          : verb == "CWD " ? "250 there"
                          : verb == "QUIT" ? "221 bye"
                          : verb == "FEAT" ? features_
                                           : "200 ok");
            }
        }
        closesocket(peer);
    }
    static void Say(SOCKET peer, const std::string& reply) {
        const std::string line = reply + "\r\n";
        send(peer, line.data(), static_cast<int>(line.size()), 0);
    }

    std::string features_;
    SOCKET listener_;
    int port_ = 0;
    std::thread thread_;
    std::vector<std::string> lines_;
};

TEST(WindowsWire, CyrillicLoginAndFolderGoOutInWindows1251) {
    if (GetACP() != 1251)
        GTEST_SKIP() << "needs the Russian code page (under Wine: LC_ALL=ru_RU.UTF-8)";
    const std::string login = QStringLiteral("логин").toLocal8Bit().toStdString();
    const std::string folder = QStringLiteral("папка").toLocal8Bit().toStdString();
    LineRecorder server;
    TIdFTP ftp;
    ftp.SetHost("127.0.0.1");
    ftp.SetPort(server.Port());
    ftp.Username = login;
    ftp.Password = "x";
    ftp.ConnectAndLogIn(true, -1);
    ftp.ChangeRemoteDir(folder);
    ftp.LeaveServer();
    const std::vector<std::string>& lines = server.Finish();
    for (const std::string& line : {std::string("USER \xeb\xee\xe3\xe8\xed"), std::string("CWD \xef\xe0\xef\xea\xe0")})
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
}

TEST(WindowsWire, NamesGoOutInUtf8OnlyToAServerThatListsIt) {
    SKIP_UNLESS_RUSSIAN_CODE_PAGE();
    struct Case {
        const char* features;
        bool utf8;
    };
    for (const Case& row : {Case{"211-Features:\r\n SIZE\r\n UTF8\r\n211 End", true},
                            Case{"211-Features:\r\n SIZE\r\n211 End", false}, Case{"500 unknown", false}}) {
        for (const CyrillicName& name : kCyrillicNames) {
            SCOPED_TRACE(std::string(row.features) + " " + name.utf8);
            LineRecorder server(row.features);
            TIdFTP ftp;
            ftp.SetHost("127.0.0.1");
            ftp.SetPort(server.Port());
            ftp.Username = name.EightBit(); // the log-in goes out as typed: only names are converted
            ftp.Password = "x";
            ftp.ConnectAndLogIn(true, -1);
            ftp.TryMakeRemoteDir(name.EightBit());
            ftp.ChangeRemoteDir(name.EightBit());
            ftp.RemoteSize(name.EightBit());
            ftp.LeaveServer();
            const std::vector<std::string>& lines = server.Finish();
            const std::string wire = row.utf8 ? name.utf8 : name.windows1251;
            EXPECT_EQ(std::count(lines.begin(), lines.end(), "OPTS UTF8 ON"), row.utf8 ? 1 : 0);
            for (const std::string& line :
                 {"USER " + std::string(name.windows1251), "MKD " + wire, "CWD " + wire, "SIZE " + wire})
                EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
        }
    }
}

} // namespace
