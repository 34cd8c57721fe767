#include "SettingsSandbox.h"
#include "dialogs/TForm3.h"
#include "dialogs/TForm4.h"
#include "dialogs/TForm5.h"
#include "ui/SystemText.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using Shown = ui::testing::Shown;

// The editor with its two dialogs as the program has them, and the main window's destination
// field; the editor is opened on a ".path" holding A, B, C.
class FolderEditor : public SettingsSandbox {
protected:
    FolderEditor() {
        destination.setEditable(true);
        editor.setEntryDialogs(add, change);
        writeFile(PathSuffix, "A\r\nB\r\nC\r\n");
        open();
    }
    void open() {
        editor.Open();
        editor.show();
    }

    std::vector<QString> entries() const {
        std::vector<QString> texts;
        for (int row = 0; row < editor.ListBox1->count(); ++row)
            texts.push_back(editor.ListBox1->item(row)->text());
        return texts;
    }
    std::vector<QString> dropDown() const {
        std::vector<QString> texts;
        for (int i = 0; i < destination.count(); ++i)
            texts.push_back(destination.itemText(i));
        return texts;
    }
    int selected() const {
        const auto items = editor.ListBox1->selectedItems();
        return items.isEmpty() ? -1 : editor.ListBox1->row(items.first());
    }
    void select(int row) { editor.ListBox1->setCurrentRow(row); }

    QComboBox destination;
    TForm3 editor{&destination};
    TForm4 add{*editor.ListBox1};
    TForm5 change{*editor.ListBox1};
};

using List = std::vector<QString>;

} // namespace

TEST_F(FolderEditor, AddDialogRefusesEmptyAndRelativeNamesAndAppendsAbsoluteOnes) {
    add.Edit1->setText(u"left over"_s);
    editor.Button1->click();
    ASSERT_TRUE(add.isVisible());
    EXPECT_TRUE(add.Edit1->text().isEmpty());

    const struct {
        QString text;
        QString message;
    } refused[] = {{u""_s, u"Неизвестное имя папки"_s}, {u"incoming"_s, u"имя папки  должно начинаться на \"/\""_s}};
    for (const auto& c : refused) {
        script_.clear();
        add.Edit1->setText(c.text);
        add.Button1->click();
        EXPECT_EQ(script_.texts(), List{c.message});
        EXPECT_TRUE(add.isVisible());
        EXPECT_EQ(add.Edit1->text(), c.text);
    }
    EXPECT_EQ(entries(), (List{u"A"_s, u"B"_s, u"C"_s}));

    script_.clear();
    add.Edit1->setText(u"/входящие"_s);
    add.Button1->click();
    EXPECT_EQ(entries(), (List{u"A"_s, u"B"_s, u"C"_s, u"/входящие"_s}));
    EXPECT_FALSE(add.isVisible());
    EXPECT_TRUE(script_.shown().empty());
}

TEST_F(FolderEditor, MovesSwapWithTheNeighbourAndASecondPressUndoesThem) {
    select(2);
    editor.Button5->click();
    EXPECT_EQ(entries(), (List{u"A"_s, u"C"_s, u"B"_s}));
    EXPECT_EQ(selected(), 2);
    editor.Button5->click();
    EXPECT_EQ(entries(), (List{u"A"_s, u"B"_s, u"C"_s}));

    select(0);
    editor.Button6->click();
    EXPECT_EQ(entries(), (List{u"B"_s, u"A"_s, u"C"_s}));
    EXPECT_EQ(selected(), 0);
    editor.Button6->click();
    EXPECT_EQ(entries(), (List{u"A"_s, u"B"_s, u"C"_s}));
    EXPECT_TRUE(script_.shown().empty());

    editor.ListBox1->clearSelection();
    editor.Button5->click();
    editor.Button6->click();
    EXPECT_EQ(entries(), (List{u"A"_s, u"B"_s, u"C"_s}));
    EXPECT_TRUE(script_.shown().empty());
}

TEST_F(FolderEditor, MovingPastEitherEndReportsTheMissingIndexAndChangesNothing) {
    const struct {
        int row;
        QPushButton* button;
        QString error;
    } cases[] = {{0, editor.Button5, u"List index out of bounds (-1)"_s},
                 {2, editor.Button6, u"List index out of bounds (3)"_s}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error.toStdString());
        script_.clear();
        select(c.row);
        c.button->click();
        ASSERT_EQ(script_.shown().size(), 1u);
        EXPECT_EQ(script_.shown()[0].kind, Shown::Kind::Error);
        EXPECT_EQ(script_.shown()[0].text, c.error);
        EXPECT_EQ(entries(), (List{u"A"_s, u"B"_s, u"C"_s}));
        EXPECT_EQ(selected(), c.row);
    }
}

TEST_F(FolderEditor, PopupItemsRunDeleteAndChangeCrosswiseAndNeedASelection) {
    editor.N2->trigger(); // nothing selected: nothing happens
    editor.N3->trigger();
    editor.Button2->click();
    EXPECT_EQ(entries(), (List{u"A"_s, u"B"_s, u"C"_s}));
    EXPECT_FALSE(change.isVisible());

    select(1);
    editor.N2->trigger(); // "Изменить" deletes
    EXPECT_EQ(entries(), (List{u"A"_s, u"C"_s}));
    editor.N2->trigger(); // the selection went with the entry
    EXPECT_EQ(entries(), (List{u"A"_s, u"C"_s}));

    select(1);
    editor.N3->trigger(); // "Удалить" opens the change dialog
    EXPECT_TRUE(change.isVisible());
    EXPECT_EQ(change.Edit1->text(), u"C"_s);

    editor.N1->trigger();
    EXPECT_TRUE(add.isVisible());
    EXPECT_TRUE(script_.shown().empty());
}

TEST_F(FolderEditor, ChangeTakesAnyNonEmptyTextAndLandsOnTheEntrySelectedAtSaveTime) {
    select(0);
    editor.Button4->click();
    ASSERT_TRUE(change.isVisible());
    EXPECT_EQ(change.Edit1->text(), u"A"_s);

    change.Edit1->clear();
    change.Button1->click();
    EXPECT_TRUE(change.isVisible());
    EXPECT_EQ(entries(), (List{u"A"_s, u"B"_s, u"C"_s}));

    change.Edit1->setText(u"incoming"_s);
    select(2); // the dialog is not modal: the user picked another entry meanwhile
    change.Button1->click();
    EXPECT_EQ(entries(), (List{u"A"_s, u"B"_s, u"incoming"_s}));
    EXPECT_FALSE(change.isVisible());
    EXPECT_TRUE(script_.shown().empty());
}

TEST_F(FolderEditor, ReopeningDropsUnsavedEdits) {
    select(0);
    editor.Button2->click();
    add.Edit1->setText(u"/new"_s);
    add.Button1->click();
    EXPECT_EQ(entries(), (List{u"B"_s, u"C"_s, u"/new"_s}));
    open();
    EXPECT_EQ(entries(), (List{u"A"_s, u"B"_s, u"C"_s}));
    EXPECT_EQ(readFile(PathSuffix), "A\r\nB\r\nC\r\n");
}

TEST_F(FolderEditor, SaveWritesTheFileRefillsTheDropDownKeepingItsTextAndHides) {
    std::vector<std::string> mainList{"stale"};
    editor.setPathList(&mainList);
    destination.addItems({u"old1"_s, u"old2"_s});
    destination.setEditText(u"/typed"_s);

    select(1);
    editor.Button5->click();
    add.Edit1->setText(u"/входящие"_s);
    add.Button1->click();
    editor.Button3->click();

    const std::string incoming = ui::ToSystemText(u"/входящие"_s); // the file holds the program's 8-bit text
    EXPECT_EQ(readFile(PathSuffix), "B\r\nA\r\nC\r\n" + incoming + "\r\n");
    EXPECT_EQ(mainList, (std::vector<std::string>{"B", "A", "C", incoming}));
    EXPECT_EQ(dropDown(), (List{u"B"_s, u"A"_s, u"C"_s, u"/входящие"_s}));
    EXPECT_EQ(destination.currentText(), u"/typed"_s);
    EXPECT_EQ(script_.texts(), List{u"сохранено"_s});
    EXPECT_FALSE(editor.isVisible());
}

TEST_F(FolderEditor, SavingAnEmptyListEmptiesFileAndDropDownButNotTheTypedFolder) {
    destination.addItems({u"A"_s, u"B"_s, u"C"_s});
    destination.setEditText(u"B"_s); // a folder about to be deleted stays typed
    for (int i = 0; i < 3; ++i) {
        select(0);
        editor.Button2->click();
    }
    editor.Button3->click();
    EXPECT_EQ(readFile(PathSuffix), "");
    EXPECT_EQ(destination.count(), 0);
    EXPECT_EQ(destination.currentText(), u"B"_s);

    open();
    EXPECT_TRUE(entries().empty());
}

TEST_F(FolderEditor, SaveThatCannotCreateTheFileStopsBeforeTheMainWindow) {
    destination.addItems({u"A"_s, u"B"_s, u"C"_s});
    destination.setEditText(u"/typed"_s);
    select(0);
    editor.Button2->click();
    makeSettingsUnwritable();
    editor.Button3->click();

    ASSERT_EQ(script_.shown().size(), 1u);
    EXPECT_EQ(script_.shown()[0].kind, Shown::Kind::Error);
    EXPECT_TRUE(script_.shown()[0].text.startsWith(u"Cannot create file \""_s))
        << script_.shown()[0].text.toStdString();
    EXPECT_EQ(dropDown(), (List{u"A"_s, u"B"_s, u"C"_s}));
    EXPECT_EQ(destination.currentText(), u"/typed"_s);
    EXPECT_TRUE(editor.isVisible());
}

TEST_F(FolderEditor, WithoutAPathFileTheEditorOpensEmpty) {
    std::remove(SettingsFile(PathSuffix).c_str());
    open();
    EXPECT_TRUE(entries().empty());
    EXPECT_TRUE(script_.shown().empty());
}
