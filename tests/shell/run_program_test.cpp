// Starting sibling programs: the working-folder rule, the parameters as the started program sees
// them, and a start that never waits.
#include "ShellEnvironment.h"
#include "shell/RunProgram.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
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

// A harmless recorder stands in for a sibling program: it writes its folder and arguments, one per
// line, and renames the file into place so a reader never sees half of it.
class RealStart : public ::testing::Test {
protected:
    void SetUp() override {
        script_ = dir_.path().toStdString() + "/Files/recorder";
        output_ = dir_.path().toStdString() + "/out.txt";
        QDir().mkpath(dir_.path() + QStringLiteral("/Files"));
        WriteWholeFile(script_, "#!/bin/sh\n"
                                "{ pwd; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > \"" +
                                    output_ +
                                    ".part\"\n"
                                    "mv \"" +
                                    output_ + ".part\" \"" + output_ + "\"\n");
        QFile::setPermissions(QString::fromStdString(script_), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    bool waitForOutput() {
        return QTest::qWaitFor([this] { return QFile::exists(QString::fromStdString(output_)); }, 5000);
    }

    QTemporaryDir dir_;
    std::string script_, output_;
};

TEST_F(RealStart, ExecutableStartsDetachedWithQuotedPathAsOneArgumentInItsFolder) {
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(RunProgram(script_, "\"/home/u/Мои программы/ferrylo\" second", ""));
    EXPECT_LT(clock.elapsed(), 2000); // never waits for the started program
    ASSERT_TRUE(waitForOutput());
    EXPECT_EQ(ReadWholeFile(output_), dir_.path().toStdString() + "/Files\n/home/u/Мои программы/ferrylo\nsecond\n");
}

TEST_F(RealStart, MissingFileIsNotAcceptedAndStartsNothing) {
    EXPECT_FALSE(RunProgram(dir_.path().toStdString() + "/Files/absent", "", ""));
    QTest::qWait(100);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(output_)));
}

} // namespace
