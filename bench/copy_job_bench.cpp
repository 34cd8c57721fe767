// Runs one whole copy job through the main window, as a click on "Старт копирования" does, and
// reports its time and the process's peak memory. Windows are offscreen unless a display is given;
// with a picture folder, the window is saved as a PNG every tenth of a second while the job runs.
// A 10 ms heartbeat measures the longest the message loop left an event (a close request, a click) waiting.
// Usage: ferrylo_copy_bench [--ftps|--sftp] [--known-folders] [--skip-existing] [--move] [--parallel=N]
//        [--drop-at=BYTES]
//        HOST PORT USER PASSWORD SOURCE DESTINATION [PICTURE_FOLDER]
//   SOURCE is a folder (uploaded with "*.*") or one file. --ftps ticks "Шифрование (FTPS)" and trusts the server's
//   certificate when asked; --sftp ticks "Протокол SFTP (SSH)" (HOST:PORT as typed, the user's keys, a new host key
//   accepted when asked); --known-folders ticks "Не проверять уже созданные папки"; --skip-existing ticks
//   "Пропускать файлы, которые уже есть на сервере"; --move ticks the deletion of
//   the sources; --drop-at resets the connection of the upload once, when BYTES of a file have gone (a line that
//   drops, seen from the client). FERRYLO_BENCH_LOG=1 prints the job's log.
#include "app/FormSet.h"
#include "dialogs/TForm2.h"
#include "ftp/SocketFaults.h"
#include "ftp/TIdFTP.h"
#include "ftp/TlsLibrary.h"
#include "ui/TLogView.h"
#include "ui/UiLayer.h"
#include "util/FreeMemory.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#ifndef _WIN32
#include <sys/resource.h>
#endif
#include <utility>

namespace {
// Open file descriptors of this process: the job must give back every one it takes.
int OpenDescriptors() {
    return static_cast<int>(
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

// Peak resident memory in KiB; 0 where the system does not tell it this way (Windows: the driver runs there only
// to try a job, not to measure it).
long PeakKiB() {
#ifdef _WIN32
    return 0;
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
#endif
}

// Resident memory now, in KiB; 0 where the system does not tell it this way.
long ResidentKiB() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> pages = statm.readAll().split(' ');
    return pages.size() > 1 ? pages[1].toLong() * 4 : 0; // 4 KiB pages
}

} // namespace

int main(int argc, char** argv) {
    ShareOneAllocatorPool(); // as the program does
    const auto printUsage = [] {
        std::fprintf(stderr, "usage: ferrylo_copy_bench [--ftps|--sftp] [--known-folders] [--skip-existing] [--move] "
                             "[--parallel=N] "
                             "[--drop-at=BYTES] HOST PORT "
                             "USER PASSWORD SOURCE DESTINATION [PICTURE_FOLDER]\n");
        return 2;
    };
    bool ftps = false;
    bool sftp = false;
    bool knownFolders = false;
    bool skipExisting = false;
    bool move = false;
    int parallel = 1;
    qint64 dropAt = 0;
    while (argc > 1 && QByteArray(argv[1]).startsWith("--")) {
        const QByteArray flag(argv[1]);
        if (flag == "--ftps")
            ftps = true;
        else if (flag == "--sftp")
            sftp = true;
        else if (flag == "--known-folders")
            knownFolders = true;
        else if (flag == "--skip-existing")
            skipExisting = true;
        else if (flag == "--move")
            move = true;
        else if (flag.startsWith("--parallel="))
            parallel = flag.mid(11).toInt();
        else if (flag.startsWith("--drop-at="))
            dropAt = flag.mid(10).toLongLong();
        else
            return printUsage();
        argv[1] = argv[0];
        ++argv;
        --argc;
    }
    if (argc < 7)
        return printUsage();
    const QString pictures = argc > 7 ? QString::fromLocal8Bit(argv[7]) : QString();
#ifndef _WIN32 // the Windows build has its own platform only; under Wine it needs a display
    if (pictures.isEmpty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    QApplication app(argc, argv);

    // A program folder of its own: no settings of the user are read, no sibling program is reachable.
    QTemporaryDir programFolder;
    ui::testing::Script prompts;
    if (!move)
        prompts.answer(ui::No); // the move question: keep the sources
    if (ftps || sftp)
        prompts.answer(ui::Yes); // the certificate or host key question: the benchmark's own server
    FormSet forms(TStartup{programFolder.filePath(QStringLiteral("ferrylo")), {}});
    TForm1& form = forms.main();
    for (QCheckBox* option : {Form2->CheckBox1, Form2->CheckBox2, Form2->CheckBox3, Form2->CheckBox4, Form2->CheckBox5})
        option->setChecked(false);
    Form2->CheckBox2->setChecked(move); // moving: each source is deleted after its own confirmed upload
    Form2->CheckBox6->setChecked(knownFolders);
    Form2->CheckBox7->setChecked(skipExisting);
    Form2->SpinEdit1->setValue(parallel);

    const QFileInfo source(QString::fromLocal8Bit(argv[5]));
    if (source.isDir()) {
        form.Edit1->setText(QDir::toNativeSeparators(source.absoluteFilePath())); // as the folder picker gives it
        form.Edit2->setText(QStringLiteral("*.*"));
    } else {
        form.Edit1->setText(QDir::toNativeSeparators(source.absolutePath()));
        form.Edit2->setText(source.fileName());
    }
    form.ComboBox1->setEditText(QString::fromLocal8Bit(argv[6]));
    form.Edit4->setText(QString::fromLocal8Bit(argv[1]) +
                        (sftp ? QStringLiteral(":") + QString::fromLocal8Bit(argv[2]) : QString()));
    form.Edit5->setText(QString::fromLocal8Bit(argv[3]));
    form.Edit6->setText(QString::fromLocal8Bit(argv[4]));
    form.IdFTP1->DefaultPort = QByteArray(argv[2]).toInt();
    if (ftps)
        form.CheckBox3->click();
    if (sftp)
        form.CheckBox4->click();
    std::atomic<bool> dropped{false}; // each connection gets a copy of the watcher: the flag lives here
    if (dropAt > 0) {
        // The next send of the data connection fails with a reset, once: the job's retry takes it from there.
        form.IdFTP1->OnWork = [dropAt, &dropped](TIdComponent*, TWorkMode mode, std::int64_t count) {
            if (mode == wmWrite && count >= dropAt && !dropped.exchange(true))
                ftp::faults::FailNthCall(ftp::faults::SocketCall::Send, 1, 10054);
        };
    }

    QTimer snapshots;
    int shot = 0;
    if (!pictures.isEmpty()) {
        form.show();
        QObject::connect(&snapshots, &QTimer::timeout, [&] {
            form.grab().save(QStringLiteral("%1/job-%2.png").arg(pictures).arg(shot++, 3, 10, QLatin1Char('0')));
        });
        snapshots.start(100);
    }

    QTimer heartbeat;
    QElapsedTimer sinceBeat;
    qint64 longestGapMs = 0;
    long uploadPeakKiB = 0; // while the job runs, before its end steps (the chime loads its player then)
    QObject::connect(&heartbeat, &QTimer::timeout, &heartbeat, [&] {
        longestGapMs = std::max(longestGapMs, sinceBeat.restart());
        if (!form.CopyState().CopyIdle)
            uploadPeakKiB = std::max(uploadPeakKiB, ResidentKiB());
    });

    const int descriptorsBefore = OpenDescriptors();
    QElapsedTimer clock;
    clock.start();
    sinceBeat.start();
    heartbeat.start(10);
    form.Button2->click();
    heartbeat.stop();
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    if (!pictures.isEmpty())
        form.grab().save(QStringLiteral("%1/job-end.png").arg(pictures));

    if (!qEnvironmentVariableIsEmpty("FERRYLO_BENCH_LOG")) // what the job wrote, to see how a drop was met
        std::fprintf(stderr, "%s\n", form.Memo1->toPlainText().toLocal8Bit().constData());
    const ftp::tls::THandshakeTally handshakes = ftp::tls::HandshakeTally();
    std::printf("seconds=%.3f files=%zu bytes=%lld peak_kib=%ld upload_peak_kib=%ld fds_before=%d fds_after=%d "
                "loop_gap_ms=%lld tls_handshakes=%llu tls_resumed=%llu tls_hellos=%llu\n",
                seconds, form.CopyState().SourceList.size(), static_cast<long long>(form.CopyState().TotalBytes),
                PeakKiB(), uploadPeakKiB, descriptorsBefore, OpenDescriptors(), static_cast<long long>(longestGapMs),
                static_cast<unsigned long long>(handshakes.Completed),
                static_cast<unsigned long long>(handshakes.Resumed),
                static_cast<unsigned long long>(handshakes.Hellos));
    int unexpected = 0;
    for (const QString& text : prompts.texts()) {
        if (!text.startsWith(QStringLiteral("Удалить исходные файлы")) &&
            !(ftps && text.startsWith(QStringLiteral("Сертификат сервера не подтвержден")))) {
            std::fprintf(stderr, "shown: %s\n", text.toLocal8Bit().constData());
            ++unexpected;
        }
    }
    return unexpected == 0 ? 0 : 1;
}
