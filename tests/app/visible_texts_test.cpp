// Every text the seven windows show before anything runs, spacing and all: window titles, labels,
// buttons, check boxes, the main menu and the folder editor's context menu.
#include "MainWindowFixture.h"

#include "dialogs/TForm2.h"
#include "dialogs/TForm3.h"
#include "dialogs/TForm4.h"
#include "dialogs/TForm5.h"
#include "dialogs/TForm6.h"
#include "reach/TForm7.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

using VisibleTexts = MainWindowFixture;

namespace {

// The caption of whatever kind of control `object` is; the window itself gives its title.
QString shownText(const QObject* object) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(object))
        return button->text();
    if (const auto* label = qobject_cast<const QLabel*>(object))
        return label->text();
    if (const auto* frame = qobject_cast<const QGroupBox*>(object))
        return frame->title();
    if (const auto* menu = qobject_cast<const QMenu*>(object))
        return menu->title();
    if (const auto* action = qobject_cast<const QAction*>(object))
        return action->text();
    return qobject_cast<const QWidget*>(object)->windowTitle();
}

struct Caption {
    int window;       // 1 .. 7
    const char* name; // empty: the window's title
    const char* text;
};

const Caption kCaptions[] = {
    {1, "Label1", "Исходящая папка"},
    {1, "SpeedButton2", "..."},
    {1, "Label2", "Исходящий файл"},
    {1, "SpeedButton3", "..."},
    {1, "Label17", "размер исходящих файлов"},
    {1, "Button5", "Сохранить параметры исходящих  файлов"},
    {1, "GroupBox1", "FTP"},
    {1, "StaticText2", "IP Адрес FTP сервера"},
    {1, "Label14", "login"},
    {1, "Label4", "Пароль"},
    {1, "CheckBox2", "Пассивный режим"},
    {1, "CheckBox3", "Шифрование (FTPS)"},
    {1, "Button1", "Проверка связи"},
    {1, "Label5", "Папка назначения"},
    {1, "Button3", "Сохранить параметры FTP сервера"},
    {1, "Label6", "Средняя скорость"},
    {1, "Label8", "Прошло времени"},
    {1, "Label10", "Осталось времени"},
    {1, "Button4", "Свернуть в tray"},
    {1, "Button6", "Опции копирования"},
    {1, "Button2", "Старт копирования"},
    {1, "N1", "Система"},
    {1, "N2", "Запускать   эту программу от  имени администратора"},
    {1, "N3", "Добавить в пункт \"Отправить\" "},
    {1, "N4", "Отправить ярлык на рабочий стол"},
    {1, "N5", "Сервис"},
    {1, "N6", "Редактор Папок назначения"},
    {1, "N10", "Редактор контекстного меню файла (пункт \"Отправить\")"},
    {1, "N11", "Остановить копирование"},
    {1, "N7", "Помощь"},
    {1, "N8", "О программе"},
    {1, "N9", "Помощь"},

    {2, "", "Опции копирования"},
    {2, "CheckBox1", "Выключить комп после скачивания всех файлов"},
    {2, "CheckBox2", "Удалять исходные файлы после удачного копирования на сервер (Перенос файлов)"},
    {2, "CheckBox3", "Сообщать когда все скопируется"},
    {2, "CheckBox4", "После копирования всех файлов выйти из программы"},
    {2, "CheckBox5", "Свернуть в  Tray при запуске  копирования"},
    {2, "Button1", "Старт  копирования"},
    {2, "Button3", "Сохранить опции"},

    {3, "", "Редактор путей"},
    {3, "Button1", "Добавить"},
    {3, "Button2", "Удалить"},
    {3, "Button4", "Изменить"},
    {3, "Button5", "Вверх"},
    {3, "Button6", "Вниз"},
    {3, "Button3", "Сохранить изменения"},
    {3, "N1", "Создать "},
    {3, "N2", "Изменить"},
    {3, "N3", "Удалить"},

    {4, "", "Добавить "},
    {4, "Button1", "Добавить"},
    {5, "", "Изменить"},
    {5, "Button1", "Сохранить"},

    {6, "", "О программе"},

    {7, "", "Поиск FTP сервера"},
    {7, "StaticText5", "Поиск от "},
    {7, "StaticText6", "Поиск до"},
    {7, "StaticText1", "Поиск FTP сервера будет  от "},
    {7, "StaticText3", "До"},
    {7, "Button2", "Отмена"},
    {7, "Button1", "Поиск"},
};

} // namespace

TEST_F(VisibleTexts, EveryControlShowsItsDesignedText) {
    start();
    // The other six windows are children of the main one: its own controls are searched only in
    // its client area and menu bar, so a dialog's Button1 can never stand in for the main one.
    const auto* client = form().findChild<QWidget*>(QStringLiteral("ClientArea"));
    ASSERT_NE(client, nullptr);
    const auto inMain = [&](const QString& name) -> QObject* {
        if (auto* found = client->findChild<QObject*>(name))
            return found;
        return form().menuBar()->findChild<QObject*>(name);
    };
    const QWidget* const windows[] = {nullptr, &form(), Form2, Form3, Form4, Form5, Form6, Form7};

    for (const Caption& c : kCaptions) {
        const QString name = QString::fromLatin1(c.name);
        SCOPED_TRACE(testing::Message() << "Form" << c.window << " " << c.name);
        const QObject* control = name.isEmpty()  ? windows[c.window]
                                 : c.window == 1 ? inMain(name)
                                                 : windows[c.window]->findChild<QObject*>(name);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(shownText(control).toStdString(), c.text); // as bytes, so a failure reads as text
    }

    // The credit lines after the product name are ours to choose.
    EXPECT_TRUE(form().windowTitle().startsWith(QStringLiteral("Ferrylo"))) << form().windowTitle().toStdString();
    const auto* productLine = Form6->findChild<QLabel*>(QStringLiteral("StaticText1"));
    ASSERT_NE(productLine, nullptr);
    EXPECT_TRUE(productLine->text().startsWith(QStringLiteral("Ferrylo "))) << productLine->text().toStdString();
}
