#include "ui/UiLayer.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>
#include <stdexcept>

using ui::testing::Script;
using ui::testing::Shown;

TEST(UiLayer, MessageBoxTakesPrimedAnswersThenItsDefault) {
    Script script;
    script.answer(ui::Ok);
    EXPECT_EQ(ui::MessageBox(nullptr, "q1", "Вопрос", ui::MsgIcon::Warning, ui::Ok | ui::Cancel, ui::Cancel), ui::Ok);
    EXPECT_EQ(ui::MessageBox(nullptr, "q2", "Вопрос", ui::MsgIcon::Warning, ui::Ok | ui::Cancel, ui::Cancel),
              ui::Cancel);
    ASSERT_EQ(script.shown().size(), 2u);
    EXPECT_EQ(script.shown()[0].caption, "Вопрос");
    EXPECT_EQ(script.shown()[0].icon, ui::MsgIcon::Warning);
    EXPECT_EQ(script.shown()[1].defaultButton, ui::Cancel);
}

TEST(UiLayer, InputAndPickersAreCancelledUnlessPrimed) {
    Script script;
    script.input(QString("secret"));
    EXPECT_EQ(ui::InputBox("login:bob", "Введите пароль", ""), QString("secret"));
    EXPECT_FALSE(ui::InputBox("login:bob", "Введите пароль", "").has_value());
    EXPECT_FALSE(ui::ChooseFolder(nullptr, "Select Folder").has_value());
    script.file(QString("/tmp/a.txt"));
    EXPECT_EQ(ui::ChooseFile(nullptr), QString("/tmp/a.txt"));
    EXPECT_EQ(script.shown()[2].caption, "Select Folder");
}

TEST(UiLayer, EscapedErrorsReachTheErrorBoxAndHaltIsOnlyCounted) {
    Script script;
    ui::RunHandler([] { throw std::runtime_error("Connection refused."); });
    ui::HaltProgram();
    ASSERT_EQ(script.shown().size(), 1u);
    EXPECT_EQ(script.shown()[0].kind, Shown::Kind::Error);
    EXPECT_EQ(script.shown()[0].text, "Connection refused.");
    EXPECT_EQ(script.haltRequests(), 1);
}

// What a server sends may reach a box: nothing in it may blank or cut the text, or format it.
TEST(UiLayer, BoxesShowHostileTextsReadableAndWhole) {
    const QString bad(QChar::ReplacementCharacter);
    const struct {
        QString raw;
        QString shown;
    } cases[] = {
        {"550 a" + QString(QChar(0)) + "b", "550 a" + bad + "b"},
        {QString::fromLocal8Bit("550 \xff\xfe name"), "550 " + bad + bad + " name"},
        {"\x1b[31m" + QString(QChar(0x85)) + "\x7f", bad + "[31m" + bad + bad},
        {QString(QChar(0xD800)) + "x" + QString::fromUcs4(U"\U0001F600"), bad + "x" + QString::fromUcs4(U"\U0001F600")},
        {"<b>x</b>\r\n\t&amp;", "<b>x</b>\r\n\t&amp;"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.raw.toStdString());
        Script script;
        ui::MessageBox(nullptr, c.raw, c.raw, ui::MsgIcon::Warning, ui::Ok, ui::Ok);
        ui::ShowMessage(c.raw);
        ui::ShowError(c.raw);
        // An error's text is a C string that ends at a NUL: there the client has to replace it.
        if (!c.raw.contains(QChar(0)))
            ui::RunHandler([&] { throw std::runtime_error(c.raw.toLocal8Bit().toStdString()); });
        ASSERT_EQ(script.shown().size(), c.raw.contains(QChar(0)) ? 3u : 4u);
        EXPECT_EQ(script.shown()[0].caption, c.shown);
        for (const Shown& shown : script.shown())
            EXPECT_EQ(shown.text, c.shown);
    }
}

TEST(UiLayer, RealBoxShowsItsTextPlain) {
    QString shownText;
    Qt::TextFormat format = Qt::AutoText;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        shownText = box->text();
        format = box->textFormat();
        box->button(QMessageBox::Ok)->click();
    });
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    bound.start(5000);
    ui::ShowMessage("<b>x</b>" + QString(QChar(0)));
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(shownText, "<b>x</b>" + QString(QChar::ReplacementCharacter));
}
