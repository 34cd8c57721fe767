#include "ui/TLogView.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

TEST(LogView, KeepsLinesInOrderAndGivesThemBack) {
    TLogView log;
    EXPECT_EQ(log.toPlainText(), QString());
    log.appendPlainText(QStringLiteral("первая"));
    log.appendPlainText(QString());
    log.appendPlainText(QStringLiteral("third"));
    EXPECT_EQ(log.lineCount(), 3);
    EXPECT_EQ(log.line(0), QStringLiteral("первая"));
    EXPECT_EQ(log.line(1), QString());
    EXPECT_EQ(log.toPlainText(), QStringLiteral("первая\n\nthird"));

    log.setFocus();
    QTest::keySequence(&log, QKeySequence::Copy);
    EXPECT_EQ(QApplication::clipboard()->text(), log.toPlainText());

    log.clear();
    EXPECT_EQ(log.lineCount(), 0);
    EXPECT_EQ(log.toPlainText(), QString());
}

// Small blocks, so lines fill them, end them exactly, and overflow them.
TEST(LogLines, LinesComeBackWholeAcrossBlocks) {
    const std::vector<std::string> lines{"", "abc", "defgh", "longer than a block", "", "ij", "k", "строка"};
    TLogLines log(8);
    std::string joined;
    for (const std::string& line : lines) {
        joined += (log.count() == 0 ? "" : "\n") + line;
        log.append(line);
    }
    ASSERT_EQ(log.count(), lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(log.line(i), lines[i]) << i;
    EXPECT_EQ(log.joined(), joined);
    log.clear();
    EXPECT_EQ(log.count(), 0u);
    EXPECT_EQ(log.joined(), "");
}

TEST(LogView, FollowsTheEndUnlessScrolledBack) {
    TLogView log;
    log.resize(300, 100);
    log.show();
    for (int i = 0; i < 50; ++i)
        log.appendPlainText(QString::number(i));
    QScrollBar* bar = log.verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());

    bar->setValue(3);
    log.appendPlainText(QStringLiteral("more"));
    EXPECT_EQ(bar->value(), 3);
}

#ifdef _WIN32
// The ANSI code page gives every byte a character (Windows-1251: "я").
const QString kHighByte = QString::fromLocal8Bit("\xff");
#else
// A byte that is no UTF-8 is shown as a replacement character.
const QString kHighByte = QString(QChar::ReplacementCharacter);
#endif

TEST(LogView, HostileTextsStayReadableAndBreaksStartNewLines) {
    TLogView log;
    const QString bad(QChar::ReplacementCharacter);
    log.appendPlainText(QStringLiteral("550 a") + QString(QChar(0)) + QStringLiteral("b\x01") +
                        QString::fromLocal8Bit("\xff"));
    log.appendPlainText(QStringLiteral("421 one\r\n421 two\rthree\n\tfour"));
    EXPECT_EQ(log.toPlainText(), QStringLiteral("550 a") + bad + QStringLiteral("b") + bad + kHighByte +
                                     QStringLiteral("\n421 one\n421 two\nthree\n\tfour"));
    EXPECT_EQ(log.lineCount(), 5);
    EXPECT_EQ(log.line(4), QStringLiteral("\tfour"));
}

TEST(LogView, AssistiveToolsReadItsLines) {
    TLogView log;
    log.setAccessibleName(QStringLiteral("Журнал"));
    log.appendPlainText(QStringLiteral("Проверка связи с 127.0.0.1"));
    log.appendPlainText(QStringLiteral("второй"));
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&log);
    ASSERT_NE(face, nullptr);
    QAccessibleTextInterface* text = face->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(face->text(QAccessible::Name), QStringLiteral("Журнал"));
    EXPECT_TRUE(face->state().readOnly);
    EXPECT_EQ(text->characterCount(), log.toPlainText().size());
    EXPECT_EQ(text->text(0, text->characterCount()), QStringLiteral("Проверка связи с 127.0.0.1\nвторой"));
    EXPECT_EQ(text->text(27, 1000), QStringLiteral("второй")); // a range past the end is cut, not refused
    int start = 0, end = 0;
    EXPECT_EQ(text->textAtOffset(30, QAccessible::LineBoundary, &start, &end), QStringLiteral("второй"));
    EXPECT_EQ(start, 27);
}
