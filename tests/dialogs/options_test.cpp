#include "SettingsSandbox.h"
#include "dialogs/TForm2.h"
#include "settings/FtpsFile.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <array>

namespace {

using OptionsDialog = SettingsSandbox;

std::array<bool, 5> boxes(const TForm2& form) {
    return {form.CheckBox1->isChecked(), form.CheckBox2->isChecked(), form.CheckBox3->isChecked(),
            form.CheckBox4->isChecked(), form.CheckBox5->isChecked()};
}

// Near the left edge: a check box only takes clicks on its indicator and caption.
void click(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(8, w->height() / 2));
}

} // namespace

// The designed form ticks boxes 3 and 4; the options read at start always win. Box 1 being
// ticked must not cost box 3 its saved value.
TEST_F(OptionsDialog, BoxesComeFromTheOptionsReadAtStart) {
    {
        TForm2 form;
        EXPECT_EQ(boxes(form), (std::array<bool, 5>{false, false, false, false, false}));
    }
    CopyOptions = {
        .PowerOff = true, .DeleteSources = false, .NotifyDone = true, .ExitAfterCopy = false, .TrayOnStart = true};
    TForm2 form;
    EXPECT_EQ(boxes(form), (std::array<bool, 5>{true, false, true, false, true}));
    EXPECT_TRUE(script_.shown().empty());
}

TEST_F(OptionsDialog, PowerOffUnticksTheReportWhichMayBeTickedAgainAndIsSavedSo) {
    TForm2 form;
    form.show();
    click(form.CheckBox3);
    click(form.CheckBox1);
    EXPECT_FALSE(form.CheckBox3->isChecked());
    click(form.CheckBox3);
    click(form.CheckBox5);
    EXPECT_EQ(boxes(form), (std::array<bool, 5>{true, false, true, false, true}));

    click(form.Button3);
    EXPECT_EQ(readFile(OptionSuffix), std::string("\1\0\1\0\1", 5));
    EXPECT_TRUE(CopyOptions.PowerOff && CopyOptions.NotifyDone && CopyOptions.TrayOnStart);
    EXPECT_FALSE(CopyOptions.DeleteSources || CopyOptions.ExitAfterCopy);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(script_.shown().empty());

    click(form.CheckBox1); // unticking touches nothing else
    EXPECT_TRUE(form.CheckBox3->isChecked());
}

// Without the keyring's line the password stays in ".MyIni", as before the option.
TEST_F(OptionsDialog, OptionsBeyondTheFiveAreSavedBesideTheOtherLinesOfFtpsNotInOption) {
    writeFile(FtpsSuffix, "ftps=1\r\n");
    CopyOptions.KnownFolders = true;
    CopyOptions.ParallelUploads = 3;
    CopyOptions.SkipExisting = true;
    CopyOptions.PasswordInKeyring = true;
    TForm2 form;
    EXPECT_TRUE(form.CheckBox6->isChecked() && form.CheckBox7->isChecked() && form.CheckBox8->isChecked());
    EXPECT_EQ(form.CheckBox8->text(), QStringLiteral("Хранить пароль в системном хранилище"));
    EXPECT_EQ(form.SpinEdit1->value(), 3);
    click(form.Button3);
    EXPECT_EQ(readFile(FtpsSuffix),
              "ftps=1\r\nknown_folders=1\r\nparallel_uploads=3\r\nskip_existing=1\r\npassword_store=keyring\r\n");
    EXPECT_EQ(readFile(OptionSuffix).size(), 5u);
    click(form.CheckBox6);
    click(form.CheckBox7);
    click(form.CheckBox8);
    form.SpinEdit1->setValue(99); // the box keeps to 1..8
    click(form.Button3);
    EXPECT_EQ(readFile(FtpsSuffix), "ftps=1\r\nknown_folders=0\r\nparallel_uploads=8\r\nskip_existing=0\r\n");
    EXPECT_FALSE(CopyOptions.KnownFolders || CopyOptions.SkipExisting || CopyOptions.PasswordInKeyring);
    EXPECT_EQ(CopyOptions.ParallelUploads, 8);
}

TEST_F(OptionsDialog, SaveThatCannotCreateTheFileKeepsTheOptionsForThisRunSilently) {
    TForm2 form;
    form.CheckBox2->setChecked(true);
    makeSettingsUnwritable();
    click(form.Button3);
    EXPECT_TRUE(CopyOptions.DeleteSources);
    EXPECT_TRUE(script_.shown().empty());
}

TEST_F(OptionsDialog, StartClicksTheMainStartButtonOrRefusesWhileACopyRuns) {
    TForm2 form;
    QPushButton mainStart;
    form.setMainStartButton(&mainStart);
    int jobs = 0;
    bool dialogVisibleDuringJob = true;
    QObject::connect(&mainStart, &QPushButton::clicked, [&] {
        ++jobs;
        dialogVisibleDuringJob = form.isVisible();
        form.show(); // something during the job brings the dialog back
    });

    form.show();
    click(form.Button1);
    EXPECT_EQ(jobs, 1);
    EXPECT_FALSE(dialogVisibleDuringJob);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(script_.shown().empty());

    mainStart.setEnabled(false);
    form.show();
    click(form.Button1);
    EXPECT_EQ(jobs, 1);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(script_.texts(), std::vector<QString>{QStringLiteral("Копирование уже идет")});
}
