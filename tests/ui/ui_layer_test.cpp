#include "ui/SystemText.h"
#include "ui/UiLayer.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <vector>

using namespace Qt::StringLiterals;
using ui::testing::Script;
using ui::testing::Shown;

// A real modal box that a broken test would leave open is closed after `ms`, so the test fails instead of hanging.
static std::unique_ptr<QTimer> CloseModalBoxAfter(int ms) {
    auto bound = std::make_unique<QTimer>();
    bound->setSingleShot(true);
    QObject::connect(bound.get(), &QTimer::timeout, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    bound->start(ms);
    return bound;
}

TEST(UiLayer, MessageBoxTakesPrimedAnswersThenItsDefault) {
    Script script;
    script.lenient();
    script.answer(ui::Ok);
    EXPECT_EQ(ui::MessageBox(nullptr, u"q1"_s, u"Вопрос"_s, ui::MsgIcon::Warning, ui::Ok | ui::Cancel, ui::Cancel),
              ui::Ok);
    EXPECT_EQ(ui::MessageBox(nullptr, u"q2"_s, u"Вопрос"_s, ui::MsgIcon::Warning, ui::Ok | ui::Cancel, ui::Cancel),
              ui::Cancel);
    ASSERT_EQ(script.shown().size(), 2u);
    EXPECT_EQ(script.shown()[0].caption, u"Вопрос"_s);
    EXPECT_EQ(script.shown()[0].icon, ui::MsgIcon::Warning);
    EXPECT_EQ(script.shown()[1].defaultButton, ui::Cancel);
    EXPECT_TRUE(script.unprimed().empty());
}

TEST(UiLayer, InputAndPickersAreCancelledUnlessPrimed) {
    Script script;
    script.lenient();
    script.input(u"secret"_s);
    EXPECT_EQ(ui::InputBox(u"login:bob"_s, u"Введите пароль"_s, u""_s), u"secret"_s);
    EXPECT_FALSE(ui::InputBox(u"login:bob"_s, u"Введите пароль"_s, u""_s).has_value());
    EXPECT_FALSE(ui::ChooseFolder(nullptr, u"Select Folder"_s).has_value());
    script.file(u"/tmp/a.txt"_s);
    EXPECT_EQ(ui::ChooseFile(nullptr), u"/tmp/a.txt"_s);
    EXPECT_EQ(script.shown()[2].caption, u"Select Folder"_s);
}

// A strict Script fails the test on every prompt that asks something and found no answer, then
// answers it as closing it would; boxes that only inform pass unprimed.
TEST(UiLayer, StrictScriptReportsEveryUnprimedQuestion) {
    const struct {
        const char* name;
        std::function<bool()> prompt; // true when it was answered as closing it would
        bool asks;
    } cases[] = {
        {"question",
         [] {
             return ui::MessageBox(nullptr, u"q"_s, u"Вопрос"_s, ui::MsgIcon::Warning, ui::Yes | ui::No, ui::No) ==
                    ui::No;
         },
         true},
        {"input", [] { return !ui::InputBox(u"login:bob"_s, u"Введите пароль"_s, u""_s).has_value(); }, true},
        {"folder", [] { return !ui::ChooseFolder(nullptr, u"Select Folder"_s).has_value(); }, true},
        {"file", [] { return !ui::ChooseFile(nullptr).has_value(); }, true},
        {"one-button box",
         [] { return ui::MessageBox(nullptr, u"m"_s, u"c"_s, ui::MsgIcon::None, ui::Ok, ui::Ok) == ui::Ok; }, false},
        {"information",
         [] {
             ui::ShowMessage(u"Сохранено"_s);
             return true;
         },
         false},
        {"error",
         [] {
             ui::ShowError(u"Ошибка 6"_s);
             return true;
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<QString> reports;
        const auto previous = Script::setFailureHook([&](const QString& report) { reports.push_back(report); });
        bool closed = false;
        std::size_t unprimed = 0;
        {
            Script script;
            closed = c.prompt();
            unprimed = script.unprimed().size();
        }
        Script::setFailureHook(previous);
        EXPECT_TRUE(closed);
        EXPECT_EQ(unprimed, c.asks ? 1u : 0u);
        ASSERT_EQ(reports.size(), c.asks ? 1u : 0u);
        if (c.asks) {
            EXPECT_TRUE(reports[0].startsWith(u"No answer primed for the "_s)) << reports[0].toStdString();
        }

        Script lenient;
        lenient.lenient();
        reports.clear();
        Script::setFailureHook([&](const QString& report) { reports.push_back(report); });
        EXPECT_TRUE(c.prompt());
        Script::setFailureHook(previous);
        EXPECT_TRUE(reports.empty());
        EXPECT_TRUE(lenient.unprimed().empty());
    }
}

TEST(UiLayer, EscapedErrorsReachTheErrorBoxAndHaltIsOnlyCounted) {
    Script script;
    ui::RunHandler([] { throw std::runtime_error("Connection refused."); });
    ui::RunHandler([] { throw 7; }); // no message of its own
    ui::HaltProgram();
    ASSERT_EQ(script.shown().size(), 2u);
    EXPECT_EQ(script.shown()[0].kind, Shown::Kind::Error);
    EXPECT_EQ(script.shown()[0].text, u"Connection refused."_s);
    EXPECT_EQ(script.shown()[1].text, u"Неизвестная ошибка"_s);
    EXPECT_EQ(script.haltRequests(), 1);
}

#ifdef _WIN32
// The ANSI code page gives every byte a character (Windows-1251: "яю").
static const QString kTwoHighBytes = QString::fromLocal8Bit("\xff\xfe");
#else
// Bytes that are no UTF-8 are shown as replacement characters.
static const QString kTwoHighBytes = QString(2, QChar::ReplacementCharacter);
#endif

// What a server sends may reach a box: nothing in it may blank or cut the text, or format it.
TEST(UiLayer, BoxesShowHostileTextsReadableAndWhole) {
    const QString bad(QChar::ReplacementCharacter);
    const struct {
        QString raw;
        QString shown;
    } cases[] = {
        {u"550 a"_s + QString(QChar(0)) + u"b"_s, u"550 a"_s + bad + u"b"_s},
        {QString::fromLocal8Bit("550 \xff\xfe name"), u"550 "_s + kTwoHighBytes + u" name"_s},
        {u"\x1b[31m"_s + QString(QChar(0x85)) + u"\x7f"_s, bad + u"[31m"_s + bad + bad},
        {QString(QChar(0xD800)) + u"x"_s + QString::fromUcs4(U"\U0001F600"),
         bad + u"x"_s + QString::fromUcs4(U"\U0001F600")},
        {u"<b>x</b>\r\n\t&amp;"_s, u"<b>x</b>\r\n\t&amp;"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.raw.toStdString());
        Script script;
        ui::MessageBox(nullptr, c.raw, c.raw, ui::MsgIcon::Warning, ui::Ok, ui::Ok);
        ui::ShowMessage(c.raw);
        ui::ShowError(c.raw);
        // An error's text is a C string that ends at a NUL: there the client has to replace it. It is 8-bit text
        // too, which holds only what the system's encoding has.
        const bool fitsAnError = !c.raw.contains(QChar(0)) && ui::FromSystemText(ui::ToSystemText(c.raw)) == c.raw;
        if (fitsAnError)
            ui::RunHandler([&] { throw std::runtime_error(c.raw.toLocal8Bit().toStdString()); });
        ASSERT_EQ(script.shown().size(), fitsAnError ? 4u : 3u);
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
    const auto bound = CloseModalBoxAfter(5000);
    ui::ShowMessage(u"<b>x</b>"_s + QString(QChar(0)));
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(shownText, u"<b>x</b>"_s + QString(QChar::ReplacementCharacter));
}

TEST(UiLayer, RealInputBoxHidesAPassword) {
    for (const ui::InputEcho echo : {ui::InputEcho::Normal, ui::InputEcho::Password}) {
        std::optional<QLineEdit::EchoMode> shown;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            shown = box->textEchoMode();
            box->reject();
        });
        const auto bound = CloseModalBoxAfter(5000);
        EXPECT_FALSE(ui::InputBox(u"login:bob"_s, u"Введите пароль"_s, {}, echo).has_value());
        EXPECT_EQ(shown, echo == ui::InputEcho::Password ? QLineEdit::Password : QLineEdit::Normal);
    }
}
