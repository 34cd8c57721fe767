// Reading listing lines: the forms real servers write, and lines a hostile one could send.
#include "ftp/FolderListing.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using TKind = TListedEntry::TKind;
constexpr std::int64_t kNone = -1; // no size / no time

struct LineCase {
    bool mlsd;
    std::string line;
    bool readable;
    const char* name = "";
    TKind kind = TKind::Other;
    std::int64_t size = kNone;
    std::int64_t modified = kNone;
};

constexpr std::int64_t k20261208 = 1796731200; // 2026-12-08 12:00:00 UTC

const LineCase kLines[] = {
    // MLSD of pyftpdlib, proftpd (fraction, facts in any case, UNIX facts), a folder, a link.
    {true, "type=file;size=12;modify=20261208120000;unix.mode=0644;unique=801g5; a file.txt", true, "a file.txt",
     TKind::File, 12, k20261208},
    {true, "modify=20261208120000.123;perm=adfr;size=0;Type=FILE;UNIX.mode=0644; x;y z", true, "x;y z", TKind::File, 0,
     k20261208},
    {true, "type=dir;modify=20240229235959;perm=flcdmpe; sub", true, "sub", TKind::Folder, kNone, 1709251199},
    {true, "type=OS.unix=slink:/etc;modify=20261208120000; etc", true, "etc", TKind::Other, kNone, k20261208},
    {true, "size=9223372036854775807;type=file;  two blanks", true, " two blanks", TKind::File, INT64_MAX},
    {true, " no facts", true, "no facts", TKind::Other},
    // MLSD that cannot be read: the folder itself, its parent, bad facts, bad names.
    {true, "type=cdir;modify=20261208120000; /home/user", false},
    {true, "type=pdir; ..", false},
    {true, "type=file;size=12;modify=20261208120000;", false}, // no blank, no name
    {true, "type=file;size=-1; x", false},
    {true, "type=file;size=1e3; x", false},
    {true, "type=file;size=9223372036854775808; x", false},
    {true, "type=file;size=1;size=2; x", false},
    {true, "type=file;modify=20261332120000; x", false},
    {true, "type=file;modify=20250229120000; x", false},
    {true, "type=file;modify=2026120812000; x", false},
    {true, "type=file;modify=20261208120000.; x", false},
    {true, "type=file;=1; x", false},
    {true, "type=dir; ..", false},
    {true, "type=file; a/b", false},
    {true, std::string("type=file; a\0b", 14), false},
    {true, "type=file; ", false},
    {true, "type=file; " + std::string(5000, 'n'), false},
    // LIST, Unix: pyftpdlib, vsftpd, proftpd, no group, ISO dates, an ACL mark, old files, a link, a device.
    {false, "-rw-r--r--   1 ferrylo  ferrylo        12 Dec 08 12:00 a file.txt", true, "a file.txt", TKind::File, 12},
    {false, "-rw-r--r--    1 1000     1000     4294967296 Dec 08 12:00 big", true, "big", TKind::File, 4294967296},
    {false, "drwxr-xr-x   2 user     user         4096 Dec  8 12:00 two  words ", true, "two  words ", TKind::Folder,
     4096},
    {false, "-rw-r--r-- 1 owner 7 Jan 1 2024 no group", true, "no group", TKind::File, 7},
    {false, "-rw-r--r--+ 1 u g 7 2026-12-08 12:00 iso", true, "iso", TKind::File, 7},
    {false, "-rw-r--r-- 1 Dec Dec 7 Dec 8 2024 Dec 8 2024", true, "Dec 8 2024", TKind::File, 7},
    {false, "-rw-r--r-- 1 u g 7 Dec 8 12:00  leading blank", true, " leading blank", TKind::File, 7},
    {false, "lrwxrwxrwx   1 user user  7 Dec  8 12:00 the link -> /etc/target", true, "the link", TKind::Other},
    {false, "crw-rw-rw-   1 root root 1, 3 Dec  8 12:00 null", true, "null", TKind::Other},
    // LIST, Windows: a folder, a file, a 4-digit year, a separate day-half mark, 24-hour time.
    {false, "12-08-26  01:02PM       <DIR>          folder name", true, "folder name", TKind::Folder},
    {false, "12-08-26  01:02PM                 1234 file name.txt", true, "file name.txt", TKind::File, 1234},
    {false, "12-08-2026  1:02 AM  99 x", true, "x", TKind::File, 99},
    {false, "12/08/26  13:02  <JUNCTION>  j", true, "j", TKind::Other},
    // LIST that cannot be read.
    {false, "total 8", false},
    {false, "garbage that is no listing at all", false},
    {false, "-rw-r--r--   1 u g 12 Dec  8 12:00", false},
    {false, "-rw-r--r--   1 u g 12 Dec  8 12:00 ..", false},
    {false, "-rw-r--r--   1 u g 12 Dec  8 12:00 a/b", false},
    {false, "-rw-r--r--   1 u g -12 Dec  8 12:00 x", false},
    {false, "-rw-r--r--   1 u g 99999999999999999999 Dec  8 12:00 x", false},
    {false, "-rw-r--r--   1 u g 12 Foo  8 12:00 x", false},
    {false, "-rw-r--r--   1 u g 12 Dec 32 12:00 x", false},
    {false, "-rw-r--r--   1 u g 12 Dec  8 25:00 x", false},
    {false, "-rw-r--r--   1 u g 12 2026-02-30 12:00 x", false},
    {false, "?rw-r--r--   1 u g 12 Dec  8 12:00 x", false},
    {false, "-rw-r--r--   1 u g 12 Dec  8 12:00 " + std::string(5000, 'n'), false},
    {false, "13-08-26  01:02PM  12 x", false},
    {false, "12-08-26  01:02PM  -5 x", false},
    {false, "12-08-26  01:02PM  <DIR>  ..", false},
    {false, "12-08-26  01:02PM  <DIR>", false},
};

TEST(FolderListingLines, ReadTheFormsOfRealServersAndRefuseHostileOnes) {
    for (const LineCase& c : kLines) {
        SCOPED_TRACE(c.line.substr(0, 100));
        const auto entry = c.mlsd ? ParseMlsdLine(c.line) : ParseListLine(c.line);
        ASSERT_EQ(entry.has_value(), c.readable);
        if (!entry)
            continue;
        EXPECT_EQ(entry->Name, c.name);
        EXPECT_EQ(entry->Kind, c.kind);
        EXPECT_EQ(entry->Size.value_or(kNone), c.size);
        EXPECT_EQ(entry->ModifiedUtc.value_or(kNone), c.modified);
    }
}

TEST(FolderListingLines, AListingCountsWhatItCouldNotReadButNotWhatItSkips) {
    const std::string list = "total 8\r\n"
                             "-rw-r--r-- 1 u g 12 Dec 8 12:00 a\r\n"
                             "\r\n"
                             "drwxr-xr-x 2 u g 4096 Dec 8 12:00 b\n"
                             "drwxr-xr-x 9 u g 4096 Dec 8 12:00 ..\r\n"
                             "not a line\r\n"
                             "-rw-r--r-- 1 u g 3 Dec 8 12:00 last";
    const TFolderLines listed = ParseFolderLines(list, false);
    ASSERT_EQ(listed.Entries.size(), 3u);
    EXPECT_EQ(listed.Entries[0].Name, "a");
    EXPECT_EQ(listed.Entries[1].Name, "b");
    EXPECT_EQ(listed.Entries[2].Name, "last");
    EXPECT_EQ(listed.Unreadable, 1u);
    EXPECT_EQ(CountFolderLines(list), 6u);

    const std::string mlsd = "type=cdir; /x\r\ntype=pdir; /\r\ntype=file;size=1; f\r\n  \r\ntotal 8\r\n";
    const TFolderLines facts = ParseFolderLines(mlsd, true);
    ASSERT_EQ(facts.Entries.size(), 1u);
    EXPECT_EQ(facts.Entries[0].Name, "f");
    EXPECT_EQ(facts.Unreadable, 1u); // "total 8" is no MLSD line
}

TEST(FolderListingLines, TimestampsAreUtcAndWhole) {
    EXPECT_EQ(ParseFtpTimestamp("19700101000000"), 0);
    EXPECT_EQ(ParseFtpTimestamp("20261208120000.5"), k20261208);
    for (const char* bad : {"", "2026120812000", "202612081200000", "20261208120060x", "20261208240000",
                            "20261208120000.1234567890", "2026-12-08 12:00", "+0261208120000"})
        EXPECT_FALSE(ParseFtpTimestamp(bad).has_value()) << bad;
}

} // namespace
