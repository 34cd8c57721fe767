// Files/HOISTER itself (Linux): it starts the program again with administrator rights through pkexec, and
// as it was when pkexec is missing or gives no rights. A recorder stands in for the program and a
// scripted pkexec for the real one, which is never run.
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

QString ReadText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

#ifdef _WIN32
// Files\HOISTER.exe: asks the shell for administrator rights and, when they cannot be had, starts the program as
// it was. A recorder stands in for the program; without a program to start it ends with a code of its own.
TEST(Hoister, StartsTheNamedProgramOrSaysWhyNot) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString program = QDir::toNativeSeparators(dir.filePath(QStringLiteral("my ferrylo.exe")));
    ASSERT_TRUE(QFile::copy(QStringLiteral(FERRYLO_RECORDER), program));
    const QString recorded = dir.filePath(QStringLiteral("out.txt"));
    const struct {
        QStringList arguments;
        int exitCode;
        bool started;
    } cases[] = {
        {{}, 2, false},
        {{QDir::toNativeSeparators(dir.filePath(QStringLiteral("absent.exe")))}, 1, false},
        {{program}, 0, true}, // one argument, blank and all
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.exitCode);
        QProcess hoister;
        hoister.start(QStringLiteral(FERRYLO_HOISTER), c.arguments);
        ASSERT_TRUE(hoister.waitForFinished(10000));
        EXPECT_EQ(hoister.exitCode(), c.exitCode);
        if (c.started) {
            QDeadlineTimer bound(5000); // the shell starts it apart: it may come a moment later
            while (!QFile::exists(recorded) && !bound.hasExpired())
                QThread::msleep(20);
            ASSERT_TRUE(QFile::exists(recorded));
            EXPECT_TRUE(ReadText(recorded).endsWith(QStringLiteral("\n"))); // the folder alone: no arguments
            EXPECT_EQ(ReadText(recorded).count(u'\n'), 1);
        } else {
            EXPECT_FALSE(QFile::exists(recorded));
        }
    }
}
#else

void WriteScript(const QString& path, const QString& body) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write((QStringLiteral("#!/bin/sh\n") + body).toUtf8());
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

struct Case {
    int pkexecExit; // -1: no pkexec on PATH
    bool startedAsItWas;
    int hoisterExit;
};

TEST(Hoister, StartsTheProgramAsItWasWhenNoRightsCanBeHad) {
    const Case cases[] = {
        {-1, true, 0},  // pkexec not installed
        {126, true, 0}, // the user cancelled the question
        {127, true, 0}, // not authorised
        {0, false, 0},  // elevated: the program runs under pkexec only
        {3, false, 3},  // the elevated program's own exit code is handed on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pkexecExit);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString bin = dir.filePath(QStringLiteral("bin"));
        ASSERT_TRUE(QDir().mkpath(bin));
        const QString program = dir.filePath(QStringLiteral("my ferrylo"));
        WriteScript(program,
                    QStringLiteral("echo \"started $#\" > '%1'\n").arg(dir.filePath(QStringLiteral("program"))));
        if (c.pkexecExit >= 0)
            WriteScript(bin + QStringLiteral("/pkexec"), QStringLiteral("for a; do echo \"$a\"; done > '%1'\nexit %2\n")
                                                             .arg(dir.filePath(QStringLiteral("pkexec")))
                                                             .arg(c.pkexecExit));

        QProcess hoister;
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("PATH"), bin); // only the scripted pkexec, if any, is found
        environment.insert(QStringLiteral("HOME"), dir.path());
        hoister.setProcessEnvironment(environment);
        hoister.start(QStringLiteral(FERRYLO_HOISTER), {program});
        ASSERT_TRUE(hoister.waitForFinished(10000));
        EXPECT_EQ(hoister.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(hoister.exitCode(), c.hoisterExit);

        EXPECT_EQ(ReadText(dir.filePath(QStringLiteral("program"))),
                  c.startedAsItWas ? QStringLiteral("started 0\n") : QString());
        const QStringList asked = ReadText(dir.filePath(QStringLiteral("pkexec"))).split(u'\n', Qt::SkipEmptyParts);
        if (c.pkexecExit < 0) {
            EXPECT_TRUE(asked.isEmpty());
        } else {
            ASSERT_FALSE(asked.isEmpty());
            EXPECT_EQ(asked.front(), QStringLiteral("env"));
            EXPECT_EQ(asked.back(), program); // one argument, blank and all
        }
    }
}

#endif

} // namespace
