// 8-bit text both ways, in the system's encoding: UTF-8 on Linux, the ANSI code page on Windows (run under Wine
// with the Russian one, Windows-1251).
#include "ui/SystemText.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

struct Case {
    std::string bytes;
    QString text;
};

std::vector<Case> Cases() {
    using namespace std::string_literals;
#ifdef _WIN32
    return {{"C:\\Files\\a.txt", QStringLiteral(u"C:\\Files\\a.txt")},
            {"C:\\\xcf\xe0\xef\xea\xe0", QStringLiteral(u"C:\\Папка")},
            {"\xce\xf2\xf7\xb8\xf2.txt", QStringLiteral(u"Отчёт.txt")},
            {"a\0b"s, QStringLiteral(u"a\u0000b")},
            {"", QString()}};
#else
    return {{"/files/a.txt", QStringLiteral(u"/files/a.txt")},
            {"/\xd0\x9f\xd0\xb0\xd0\xbf\xd0\xba\xd0\xb0", QStringLiteral(u"/Папка")},
            {"\xd0\x9e\xd1\x82\xd1\x87\xd1\x91\xd1\x82.txt", QStringLiteral(u"Отчёт.txt")},
            {"a\0b"s, QStringLiteral(u"a\u0000b")},
            {"", QString()}};
#endif
}

bool RussianCodePage() {
#ifdef _WIN32
    return GetACP() == 1251;
#else
    return true;
#endif
}

TEST(SystemText, ConvertsBothWaysInTheSystemsEncoding) {
    if (!RussianCodePage())
        GTEST_SKIP() << "needs the Russian code page (under Wine: LC_ALL=ru_RU.UTF-8)";
    for (const Case& c : Cases()) {
        EXPECT_EQ(ui::FromSystemText(c.bytes), c.text) << c.text.toStdString();
        EXPECT_EQ(ui::ToSystemText(c.text), c.bytes) << c.text.toStdString();
    }
}

} // namespace
