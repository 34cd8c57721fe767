// The six other windows belong to the main window, and the program outlives every box it shows.
#include "app/FormSet.h"
#include "dialogs/TForm2.h"
#include "dialogs/TForm3.h"
#include "dialogs/TForm4.h"
#include "dialogs/TForm5.h"
#include "dialogs/TForm6.h"
#include "reach/TForm7.h"
#include "shell/TJvTrayIcon.h"
#include "ui/UiLayer.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

// The windows in a fresh program folder, the main one shown and able to hide in a tray.
struct Program {
    QTemporaryDir dir;
    FormSet forms{TStartup{dir.filePath(QStringLiteral("ferrylo")), {}}};
    TForm1& main = forms.main();

    Program() {
        main.show();
        main.JvTrayIcon1->setTrayAvailableProbe([] { return true; });
    }
};

} // namespace

TEST(WindowFamily, OtherWindowsBelongToTheMainWindowAndGoToTheTrayWithIt) {
    Program program;
    TForm1& main = program.main;
    for (QWidget* window : {static_cast<QWidget*>(Form2), static_cast<QWidget*>(Form3), static_cast<QWidget*>(Form4),
                            static_cast<QWidget*>(Form5), static_cast<QWidget*>(Form6), static_cast<QWidget*>(Form7)}) {
        SCOPED_TRACE(window->objectName().toStdString());
        EXPECT_EQ(window->parentWidget(), &main);
        EXPECT_TRUE(window->isWindow());
    }
    Form6->show();
    Form7->show();
    EXPECT_EQ(Form6->windowHandle()->transientParent(), main.windowHandle());
    EXPECT_EQ(Form7->windowHandle()->transientParent(), main.windowHandle());

    main.Button4Click();
    EXPECT_FALSE(main.isVisible());
    EXPECT_FALSE(Form6->isVisible());
    EXPECT_FALSE(Form7->isVisible());
    main.JvTrayIcon1Click();
    EXPECT_TRUE(main.isVisible());
    EXPECT_TRUE(Form6->isVisible());
    EXPECT_TRUE(Form7->isVisible());
    EXPECT_FALSE(Form3->isVisible()) << "only what was shown comes back";
}

TEST(WindowFamily, TheEditorsDialogsEditTheEditorsList) {
    Program program;
    Form3->Button1->click();
    ASSERT_TRUE(Form4->isVisible());
    Form4->Edit1->setText(QStringLiteral("/incoming"));
    Form4->Button1->click();
    ASSERT_EQ(Form3->ListBox1->count(), 1);

    Form3->ListBox1->setCurrentRow(0);
    Form3->Button4->click();
    ASSERT_TRUE(Form5->isVisible());
    Form5->Edit1->setText(QStringLiteral("/daily"));
    Form5->Button1->click();
    EXPECT_EQ(Form3->ListBox1->item(0)->text(), QStringLiteral("/daily"));
}

TEST(WindowFamily, ClosingABoxWhileInTheTrayDoesNotEndTheProgram) {
    Program program;
    program.main.Button4Click();
    ASSERT_TRUE(program.main.JvTrayIcon1->HiddenInTray());

    QObject context; // takes any timer still pending along when the test ends
    bool boxClosed = false;
    bool loopRanOn = false;
    QTimer::singleShot(0, &context, [&] {
        // The user answers the box as the copy job shows it at its end.
        QTimer::singleShot(50, &context, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->button(QMessageBox::Ok)->click();
        });
        ui::ShowMessage(QStringLiteral("Копирование завершено"));
        boxClosed = true;
        QTimer::singleShot(300, &context, [&] {
            loopRanOn = true;
            QCoreApplication::exit(0);
        });
    });
    QTimer::singleShot(5000, &context, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
        QCoreApplication::exit(1);
    });
    const int result = QCoreApplication::exec();

    EXPECT_TRUE(boxClosed);
    EXPECT_TRUE(loopRanOn) << "the message loop ended with the box";
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(program.main.JvTrayIcon1->HiddenInTray());
}
