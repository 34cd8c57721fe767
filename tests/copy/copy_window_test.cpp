// The main window as the copy job's host: its fields, the options window's boxes and both start
// buttons drive one job, and a second start while one runs or a check holds the client is refused.
#include "app/FormSet.h"
#include "copy/ProgressDisplay.h"
#include "copy/ProgressMath.h"
#include "dialogs/TForm2.h"
#include "ftp/TIdFTP.h"
#include "tests/support/FakeFtpServer.h"
#include "ui/TLogView.h"
#include "ui/TProgressBar.h"
#include "ui/UiLayer.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <utility>

using ferrylo::testing::FakeFtpServer;

namespace {

TEST(CopyThroughTheWindow, StartButtonsRunOneJobAtATime) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ui::testing::Script script;
    FakeFtpServer server;
    FormSet forms(TStartup{dir.filePath(QStringLiteral("ferrylo")), {}});
    TForm1& form = forms.main();

    // As typed on this system (backslashes on Windows): the job joins the file name with the same separator.
    const std::filesystem::path folder = (std::filesystem::path(dir.path().toStdString()) / "data").make_preferred();
    std::filesystem::create_directories(folder);
    const std::string file = (folder / "a.txt").string();
    std::ofstream(file, std::ios::binary) << std::string(100000, 'a');
    form.Edit1->setText(QString::fromStdString(folder.string()));
    form.Edit2->setText(QStringLiteral("*.*"));
    form.ComboBox1->setEditText(QStringLiteral("/in"));
    form.Edit4->setText(QString::fromStdString(server.host()));
    form.Edit5->setText(QStringLiteral("tester"));
    form.Edit6->setText(QStringLiteral("secret"));
    form.IdFTP1->DefaultPort = server.port();
    Form2->CheckBox3->setChecked(true); // the completion message comes from the options window's box

    const QString noCopyYet = QStringLiteral("Копирование уже идет");
    bool clickedDuringQuestion = false, clickedDuringUpload = false, uploadShown = false;
    script.onMessage([&](const ui::testing::Shown&) {
        if (!clickedDuringQuestion) {
            clickedDuringQuestion = true;
            form.Button2->click(); // still enabled while the job is being prepared
        }
    });
    const auto displaysOwn = form.IdFTP1->OnWork;
    form.IdFTP1->OnWork = [&](TIdComponent* sender, TWorkMode mode, std::int64_t count) {
        displaysOwn(sender, mode, count);
        uploadShown = form.ProgressBar1->Position() > 0 && !form.Button2->isEnabled() && form.Timer1->isActive();
        if (!clickedDuringUpload) {
            clickedDuringUpload = true;
            Form2->Button1->click();
        }
    };
    script.answer(ui::No); // "Удалить исходные файлы…": keep the sources
    form.Button2->click();

    EXPECT_TRUE(uploadShown);
    EXPECT_EQ(script.texts(),
              (std::vector<QString>{QStringLiteral("Удалить исходные файлы после копирования (перенос файлов)?"),
                                    noCopyYet, noCopyYet, QStringLiteral("Копирование завершено")}));
    ASSERT_EQ(server.stored().size(), 1u);
    EXPECT_EQ(server.stored()[0].argument, "/in/data/a.txt");
    EXPECT_EQ(form.Label18->text(), QStringLiteral("0 Mb"));
    EXPECT_EQ(form.ProgressBar2->Position(), form.ProgressBar2->Max());
    EXPECT_TRUE(form.Memo1->toPlainText().endsWith(QString::fromStdString(": Скопирован файл " + file)));
    EXPECT_TRUE(form.CopyState().CopyIdle && form.Button2->isEnabled() && !form.Timer1->isActive());

    // While a connection check holds the FTP client, both start buttons say so.
    script.clear();
    form.CheckRunning = true;
    Form2->Button1->click();
    form.Button2->click();
    form.CheckRunning = false;
    const QString checking = QStringLiteral("Идет проверка связи");
    EXPECT_EQ(script.texts(), (std::vector<QString>{checking, checking}));
    EXPECT_EQ(server.sessionCount(), 1u);
}

TEST(CopyThroughTheWindow, ValueLabelsAreReadWithWhatTheyShow) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ui::testing::Script script;
    FormSet forms(TStartup{dir.filePath(QStringLiteral("ferrylo")), {}});
    TForm1& form = forms.main();
    form.CopyState().TotalBytes = 10 * 1024 * 1024;
    form.CopyState().SentBytes = 2048000;
    form.CopyState().StartTime = NowInDays() - 1.0 / 86400.0;
    copyjob::ShowJobSize(form);
    copyjob::Tick(form);

    const struct {
        QLabel* label;
        QString announced;
    } labels[] = {{form.Label18, QStringLiteral("Размер исходящих файлов")},
                  {form.Label7, QStringLiteral("Средняя скорость")},
                  {form.Label9, QStringLiteral("Прошло времени")},
                  {form.Label11, QStringLiteral("Осталось времени")}};
    for (const auto& [label, announced] : labels) {
        SCOPED_TRACE(label->objectName().toStdString());
        ASSERT_FALSE(label->text().isEmpty());
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(label);
        ASSERT_NE(face, nullptr);
        EXPECT_EQ(face->text(QAccessible::Name), announced + QStringLiteral(": ") + label->text());
    }
    EXPECT_EQ(form.Label7->accessibleName(), QStringLiteral("Средняя скорость: 2000 kB/Sec"));
}

TEST(CopyThroughTheWindow, EscStopsTheUploadAndTheCommandServesOnlyThen) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ui::testing::Script script;
    FakeFtpServer::Options options;
    options.keepStoredBytes = false;
    FakeFtpServer server(options);
    FormSet forms(TStartup{dir.filePath(QStringLiteral("ferrylo")), {}});
    TForm1& form = forms.main();
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    const std::string file = dir.filePath(QStringLiteral("big.bin")).toStdString();
    std::ofstream(file, std::ios::binary) << std::string(16 << 20, 'b');
    form.Edit1->setText(dir.path());
    form.Edit2->setText(QStringLiteral("big.bin"));
    form.Edit4->setText(QString::fromStdString(server.host() + ":" + std::to_string(server.port())));
    form.Edit5->setText(QStringLiteral("tester"));
    form.Edit6->setText(QStringLiteral("secret"));
    Form2->CheckBox2->setChecked(true); // a move: the stopped source stays all the same

    bool enabledDuringUpload = false;
    const auto displaysOwn = form.IdFTP1->OnWork;
    form.IdFTP1->OnWork = [&](TIdComponent* sender, TWorkMode mode, std::int64_t count) {
        displaysOwn(sender, mode, count);
        if (!std::exchange(enabledDuringUpload, form.N11->isEnabled()) && enabledDuringUpload)
            QTest::keyClick(&form, Qt::Key_Escape);
    };
    EXPECT_FALSE(form.N11->isEnabled());
    form.Button2->click();

    EXPECT_TRUE(enabledDuringUpload);
    EXPECT_TRUE(form.Memo1->toPlainText().endsWith(QStringLiteral(": Копирование остановлено")));
    EXPECT_TRUE(std::filesystem::exists(file) && script.texts().empty());
    EXPECT_TRUE(form.CopyState().CopyIdle && form.Button2->isEnabled() && !form.N11->isEnabled());
}

} // namespace
