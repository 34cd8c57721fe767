// Files/Menuwright itself (Linux): it opens the first Send To folder that exists, of Thunar, Nautilus, Nemo and
// Dolphin in this order, or makes Thunar's when there is none. A scripted xdg-open records what it was asked to open.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Case {
    std::vector<QString> existing; // folders under the data folder
    bool dataHomeSet;              // XDG_DATA_HOME, else ~/.local/share
    QString opened;
};

TEST(Menuwright, OpensTheFirstSendToFolderThatExistsOrMakesThunars) {
    const Case cases[] = {
        {{}, true, QStringLiteral("Thunar/sendto")},
        {{}, false, QStringLiteral("Thunar/sendto")},
        {{QStringLiteral("nautilus/scripts")}, true, QStringLiteral("nautilus/scripts")},
        {{QStringLiteral("kio/servicemenus"), QStringLiteral("nemo/actions")}, false, QStringLiteral("nemo/actions")},
        {{QStringLiteral("kio/servicemenus")}, true, QStringLiteral("kio/servicemenus")},
        {{QStringLiteral("nautilus/scripts"), QStringLiteral("Thunar/sendto")}, true, QStringLiteral("Thunar/sendto")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.opened.toStdString());
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString data =
            c.dataHomeSet ? dir.filePath(QStringLiteral("data")) : dir.filePath(QStringLiteral(".local/share"));
        for (const QString& folder : c.existing)
            ASSERT_TRUE(QDir().mkpath(data + u'/' + folder));
        const QString bin = dir.filePath(QStringLiteral("bin"));
        ASSERT_TRUE(QDir().mkpath(bin));
        const QString recorded = dir.filePath(QStringLiteral("opened"));
        QFile opener(bin + QStringLiteral("/xdg-open"));
        ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
        opener.write(QStringLiteral("#!/bin/sh\necho \"$1\" > '%1'\n").arg(recorded).toUtf8());
        opener.close();
        opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QProcessEnvironment environment;
        environment.insert(QStringLiteral("PATH"), bin + QStringLiteral(":/usr/bin:/bin")); // mkdir
        environment.insert(QStringLiteral("HOME"), dir.path());
        if (c.dataHomeSet)
            environment.insert(QStringLiteral("XDG_DATA_HOME"), data);
        QProcess menuwright;
        menuwright.setProcessEnvironment(environment);
        menuwright.start(QStringLiteral(FERRYLO_MENUWRIGHT), {});
        ASSERT_TRUE(menuwright.waitForFinished(10000));
        EXPECT_EQ(menuwright.exitCode(), 0);

        QFile opened(recorded);
        ASSERT_TRUE(opened.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromUtf8(opened.readAll()), data + u'/' + c.opened + u'\n');
        EXPECT_TRUE(QDir(data + u'/' + c.opened).exists());
    }
}

} // namespace
