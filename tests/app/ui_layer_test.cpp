#include "app/ui/UiLayer.h"

#include <gtest/gtest.h>

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
