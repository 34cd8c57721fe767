#pragma once
#include "app/TForm1.h"

#include <memory>

class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TForm7;

// The program's seven windows, created in their fixed order (the main window first, so that the
// options window finds the options it read) and reachable as Form1 .. Form7 while this lives.
class FormSet {
public:
    explicit FormSet(const TStartup& startup);
    ~FormSet();
    FormSet(const FormSet&) = delete;
    FormSet& operator=(const FormSet&) = delete;

    TForm1& main() { return *form1_; }

private:
    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<TForm2> form2_;
    std::unique_ptr<TForm3> form3_;
    std::unique_ptr<TForm4> form4_;
    std::unique_ptr<TForm5> form5_;
    std::unique_ptr<TForm6> form6_;
    std::unique_ptr<TForm7> form7_;
};
