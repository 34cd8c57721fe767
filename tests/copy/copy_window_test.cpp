// The main window as the copy job's host: its fields, the options window's boxes and both start
// buttons drive one job, and a second start while one runs or a check holds the client is refused.
#include "app/FormSet.h"
#include "app/ProgressDisplay.h"
#include "copy/ProgressMath.h"
#include "dialogs/TForm2.h"
#include "ftp/TIdFTP.h"
#include "ftp/WaitSlices.h"
#include "tests/support/FakeFtpServer.h"
#include "ui/TLogView.h"
#include "ui/TProgressBar.h"
#include "ui/UiLayer.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <thread>
#include <utility>

using ferrylo::testing::FakeFtpServer;

namespace {

// Holds the job's connection in its first upload (on its own thread) until `onWindow`, run by the window's thread
// as it shows the job, says it is done; a bounded hold.
class FirstUploadHold {
public:
    FirstUploadHold(TForm1& form, std::function<bool()> onWindow) : onWindow_(std::move(onWindow)) {
        form.IdFTP1->OnWork = [this](TIdComponent*, TWorkMode mode, std::int64_t) {
            int none = 0;
            if (mode == wmWrite && stage_.compare_exchange_strong(none, 1)) {
                for (int waited = 0; stage_.load() == 1 && waited < 10000; ++waited)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        };
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (stage_.load() == 1 && onWindow_())
                stage_.store(2);
        });
        timer_.start(1);
    }
    bool Held() const { return stage_.load() == 2; }

private:
    std::function<bool()> onWindow_; // true once done
    std::atomic<int> stage_{0};      // 0: no upload yet, 1: held, 2: let go
    QTimer timer_;
};

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
    bool clickedDuringQuestion = false, uploadShown = false;
    script.onMessage([&](const ui::testing::Shown&) {
        if (!clickedDuringQuestion) {
            clickedDuringQuestion = true;
            form.Button2->click(); // still enabled while the job is being prepared
        }
    });
    const FirstUploadHold hold(form, [&] {
        if (form.ProgressBar1->Position() == 0)
            return false; // the next turn of the job's display shows the bytes on their way
        uploadShown = !form.Button2->isEnabled() && form.Timer1->isActive();
        Form2->Button1->click();
        return true;
    });
    script.answer(ui::No); // "Удалить исходные файлы…": keep the sources
    form.Button2->click();

    EXPECT_TRUE(hold.Held() && uploadShown);
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
    const FirstUploadHold hold(form, [&] {
        if (form.ProgressBar1->Position() == 0)
            return false; // the next turn of the job's display shows the upload begun
        enabledDuringUpload = form.N11->isEnabled();
        QTest::keyClick(&form, Qt::Key_Escape);
        return true;
    });
    EXPECT_FALSE(form.N11->isEnabled());
    form.Button2->click();

    EXPECT_TRUE(hold.Held() && enabledDuringUpload);
    EXPECT_TRUE(form.Memo1->toPlainText().endsWith(QStringLiteral(": Копирование остановлено")));
    EXPECT_TRUE(std::filesystem::exists(file) && script.texts().empty());
    EXPECT_TRUE(form.CopyState().CopyIdle && form.Button2->isEnabled() && !form.N11->isEnabled());
}

// A server that stops answering in the middle of a job: the connection waits out its bound on a thread of its own,
// while the window's own event loop keeps turning (no network wait runs there); the job then ends as a failure.
TEST(CopyThroughTheWindow, TheWindowStaysLiveWhileTheServerIsSilent) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ui::testing::Script script;
    FakeFtpServer server;
    server.stallOn("STOR");
    FormSet forms(TStartup{dir.filePath(QStringLiteral("ferrylo")), {}});
    TForm1& form = forms.main();
    form.show();
    std::ofstream(dir.filePath(QStringLiteral("a.bin")).toStdString(), std::ios::binary) << "alpha";
    form.Edit1->setText(dir.path());
    form.Edit2->setText(QStringLiteral("a.bin"));
    form.Edit4->setText(QString::fromStdString(server.host() + ":" + std::to_string(server.port())));
    form.Edit5->setText(QStringLiteral("tester"));
    form.Edit6->setText(QStringLiteral("secret"));
    form.IdFTP1->ReplyTimeLimit = 2000; // a silent minute, shortened
    form.CopyState().RetryWaitsMs = {100};
    int windowWaits = 0;
    ftp::SetWaitSliceHook([&] { ++windowWaits; });
    QElapsedTimer sinceTick;
    qint64 longestGapMs = 0;
    QTimer window;
    QObject::connect(&window, &QTimer::timeout, [&] {
        longestGapMs = std::max(longestGapMs, sinceTick.restart());
        form.repaint();
    });
    sinceTick.start();
    window.start(10);
    script.answer(ui::No); // keep the source
    form.Button2->click();
    ftp::SetWaitSliceHook({});

    EXPECT_EQ(windowWaits, 0);
    EXPECT_LT(longestGapMs, 1000) << "the window's loop waited that long";
    RecordProperty("longest_window_wait_ms", static_cast<int>(longestGapMs));
    EXPECT_EQ(script.texts().back().left(19), QStringLiteral("Ошибка копирования "));
    EXPECT_TRUE(form.CopyState().CopyIdle && form.Button2->isEnabled());
}

} // namespace
