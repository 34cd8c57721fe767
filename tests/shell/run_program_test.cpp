// Starting sibling programs: the working-folder rule, the parameters as the started program sees
// them, and a start that never waits.
#include "ShellEnvironment.h"
#include "shell/RunProgram.h"
#include "ui/SystemText.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(RunProgram, EmptyWorkingFolderMeansTheFilesOwnFolder) {
    struct Case {
        std::string file, folder, expectedFolder;
    } cases[] = {
        {"/opt/ferrylo/Files/Menuwright", "", "/opt/ferrylo/Files/"},
        {"Menuwright", "", ""}, // no separator: no folder at all
        {"/ferrylo.html", "", "/"},
        {"/opt/ferrylo/Files/Menuwright", "/tmp/", "/tmp/"}, // a given folder is kept
    };
    const auto native = [](const std::string& path) {
        return QDir::toNativeSeparators(QString::fromStdString(path)).toStdString();
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        shell::testing::RunRecorder recorder(false);
        EXPECT_FALSE(RunProgram(native(c.file), "\"x\"", native(c.folder))); // the recorder's answer comes back
        ASSERT_EQ(recorder.requests().size(), 1u);
        EXPECT_EQ(recorder.requests()[0].file, native(c.file));
        EXPECT_EQ(recorder.requests()[0].parameters, "\"x\"");
        EXPECT_EQ(recorder.requests()[0].workingFolder, native(c.expectedFolder));
    }
}

// A harmless recorder stands in for a sibling program: it writes its folder and arguments, one per line in
// UTF-8, to "out.txt" beside itself, and renames the file into place so a reader never sees half of it.
#ifdef _WIN32
void PlaceRecorder(const QString& path) {
    ASSERT_TRUE(QFile::copy(QStringLiteral(FERRYLO_RECORDER), path));
}
#else
void PlaceRecorder(const QString& path) {
    const std::string output = QFileInfo(path).path().toStdString() + "/out.txt";
    WriteWholeFile(path.toStdString(), "#!/bin/sh\n"
                                       "{ pwd; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > \"" +
                                           output + ".part\"\nmv \"" + output + ".part\" \"" + output + "\"\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
#endif

class RealStart : public ::testing::Test {
protected:
    void SetUp() override {
        const QString files = QDir::toNativeSeparators(dir_.path() + QStringLiteral("/Files"));
        QDir().mkpath(files);
        const QString recorder = files + QDir::separator() + QStringLiteral("recorder.exe");
        PlaceRecorder(recorder);
        script_ = ui::ToSystemText(recorder);
        output_ = ui::ToSystemText(files) + "/out.txt";
        folder_ = files.toStdString();
    }

    bool waitForOutput() {
        return QTest::qWaitFor([this] { return QFile::exists(QString::fromLocal8Bit(output_)); }, 5000);
    }

    QTemporaryDir dir_;
    std::string script_, output_, folder_;
};

TEST_F(RealStart, ExecutableStartsDetachedWithQuotedPathAsOneArgumentInItsFolder) {
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(RunProgram(script_, ui::ToSystemText(QStringLiteral("\"/home/u/Мои программы/ferrylo\" second")), ""));
    EXPECT_LT(clock.elapsed(), 2000); // never waits for the started program
    ASSERT_TRUE(waitForOutput());
    EXPECT_EQ(ReadWholeFile(output_), folder_ + "\n/home/u/Мои программы/ferrylo\nsecond\n");
}

TEST_F(RealStart, MissingFileIsNotAcceptedAndStartsNothing) {
    EXPECT_FALSE(RunProgram(dir_.path().toStdString() + "/Files/absent", "", ""));
    QTest::qWait(100);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(output_)));
}

} // namespace
