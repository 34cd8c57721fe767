// What a user reads of a job, its log and its boxes, is the same on every system: jobs from a Cyrillic folder give
// the lines below on Linux and on Windows (under Wine, with the Russian code page). The names reach the server in
// UTF-8 where it lists UTF8, else as the system's 8-bit text.
#include "CopyJobFixture.h"

#include "tests/support/EightBitText.h"
#include "tests/support/FakeFtpServer.h"
#include "tests/support/Utf8Path.h"
#include "util/NativePath.h"

#include <QStringList>

using ferrylo::testing::FakeFtpServer;

namespace {

class JobTexts : public CopyJobFixture {
protected:
    // The log without its stamps, then the boxes, with the test's own folder written as "<program>/" and the
    // system's separators as "/".
    QStringList seen() const {
        QStringList lines;
        for (const std::string& line : logTexts())
            lines << QStringLiteral("log") + QString::fromStdString(line);
        for (const auto& box : script_.shown())
            lines << QStringLiteral("box ") + box.text;
        const QString program = QString::fromStdString(shown(programFolder()));
        for (QString& line : lines)
            line.replace(program, QStringLiteral("<program>/")).replace(QLatin1Char('\\'), QLatin1Char('/'));
        return lines;
    }
};

TEST_F(JobTexts, CyrillicJobsReadTheSameOnEverySystem) {
    SKIP_UNLESS_RUSSIAN_CODE_PAGE();
    const std::string folderName = kCyrillicNames[0].utf8, fileName = std::string(kCyrillicNames[1].utf8) + ".txt";
    const QString source = QStringLiteral("<program>/src/папка");
    const QString file = source + QStringLiteral("/Ёлка ёж.txt");
    const QString noFile = QStringLiteral("Исходящий файл может быть или именем файла или \"*.*\"");
    const QString moved[] = {
        QStringLiteral("log: +Установлена связь с сервером"), QStringLiteral("log: Начал копироваться файл : ") + file,
        QStringLiteral("log: Скопирован файл ") + file, QStringLiteral("box Копирование завершено")};
    const struct {
        const char* name;
        const char* features;    // the FEAT answer
        const char* storeReply;  // empty: stored
        const char* typedFolder; // under "src/"
        std::string typedName;
        std::string storedAs; // the STOR argument as it went over the wire
        QStringList lines;
    } jobs[] = {
        {"without UTF8", "502 Command not implemented.", "", "папка", "*.*",
         std::string("/in/") + kCyrillicNames[0].EightBit() + "/" + kCyrillicNames[1].EightBit() + ".txt",
         QStringList(std::begin(moved), std::end(moved))},
        {"with UTF8", "211-Features:\r\n UTF8\r\n211 End", "", "папка", "*.*", "/in/" + folderName + "/" + fileName,
         QStringList(std::begin(moved), std::end(moved))},
        {"refused",
         "502 Command not implemented.",
         "550 Permission denied.",
         "папка",
         fileName,
         {},
         {QStringLiteral("log: +Установлена связь с сервером"),
          QStringLiteral("log: Начал копироваться файл : ") + file, QStringLiteral("log: ошибка копирования ") + file,
          QStringLiteral("box Ошибка копирования ") + file}},
        {"no folder", "", "", "нет", "*.*", {}, {QStringLiteral("box Нет папки - <program>/src/нет")}},
        {"no file",
         "",
         "",
         "папка",
         "Ёж.txt",
         {},
         {QStringLiteral("box Нет  файла - ") + source + QStringLiteral("/Ёж.txt") + noFile}},
    };
    for (const auto& job : jobs) {
        SCOPED_TRACE(job.name);
        std::filesystem::remove_all(NativePath(programFolder() + "src"));
        const std::string made = makeFile("src/" + folderName + "/" + fileName, "ёж");
        FakeFtpServer server;
        server.setReply("FEAT", job.features);
        server.setReply("OPTS", "200 UTF8 set to on");
        if (*job.storeReply)
            server.setReply("STOR", job.storeReply);
        pointAt(server.host(), server.port(), "tester", "secret");
        setOptions(false, true, true, false, false); // move, report the end
        setSource(inFolder(programFolder() + "src", EightBitPath(Utf8Path(job.typedFolder))),
                  EightBitPath(Utf8Path(job.typedName)), "/in");
        host().log.clear();
        script_.clear();
        startJob();

        EXPECT_EQ(seen(), job.lines);
        const bool stored = !job.storedAs.empty();
        ASSERT_EQ(server.stored().size(), stored ? 1u : 0u);
        if (stored) {
            EXPECT_EQ(server.stored()[0].argument, job.storedAs);
        }
        EXPECT_EQ(exists(made), !stored);
    }
}

} // namespace
