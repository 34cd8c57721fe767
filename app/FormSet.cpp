#include "app/FormSet.h"

#include "dialogs/TForm2.h"
#include "dialogs/TForm3.h"
#include "dialogs/TForm4.h"
#include "dialogs/TForm5.h"
#include "dialogs/TForm6.h"
#include "reach/TForm7.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>

FormSet::FormSet(const TStartup& startup) {
    // The program ends by its close request or the exit option only: closing a message box while
    // the main window sits in the tray must not end it as the last visible window.
    QApplication::setQuitOnLastWindowClosed(false);

    // The other six windows belong to the main window: they stay above it and have no task-bar
    // entry of their own.
    form1_ = std::make_unique<TForm1>(startup);
    TForm1* owner = form1_.get();
    form2_ = std::make_unique<TForm2>(owner);
    Form2 = form2_.get();
    Form2->setMainStartButton(form1_->Button2);
    form1_->setOptionsWindow(*form2_);
    form3_ = std::make_unique<TForm3>(form1_->ComboBox1, owner);
    Form3 = form3_.get();
    form4_ = std::make_unique<TForm4>(*form3_->ListBox1, owner);
    Form4 = form4_.get();
    form5_ = std::make_unique<TForm5>(*form3_->ListBox1, owner);
    Form5 = form5_.get();
    form3_->setEntryDialogs(*form4_, *form5_);
    form6_ = std::make_unique<TForm6>(owner);
    Form6 = form6_.get();
    form7_ = std::make_unique<TForm7>(owner);
    Form7 = form7_.get();
    form1_->setWindows(*form3_, *form6_, *form7_);
}

FormSet::~FormSet() {
    Form7 = nullptr;
    Form6 = nullptr;
    Form5 = nullptr;
    Form4 = nullptr;
    Form3 = nullptr;
    Form2 = nullptr;
    // Later windows go first: they may still point into the main window, and each one, deleted
    // while its owner lives, leaves the owner's children; the other order would delete them twice.
    form7_.reset();
    form6_.reset();
    form5_.reset();
    form4_.reset();
    form3_.reset();
    form2_.reset();
    form1_.reset();
}
