#pragma once
// The About window: a picture and the product line. Created hidden at start, shown on request
// (not modal); closing it through its frame only hides it.

#include <QByteArray>
#include <QWidget>

class QLabel;
class TImage;

class TForm6 : public QWidget {
    Q_OBJECT
public:
    // Takes the picture from the resource ":/about.jpg" (link ferrylo_resources into the program).
    explicit TForm6(QWidget* parent = nullptr);
    // Takes the picture from the given JPEG bytes.
    explicit TForm6(const QByteArray& jpeg, QWidget* parent = nullptr);

    TImage* Image1;
    QLabel* StaticText1;

private:
    void buildControls();
    void loadPicture(const QByteArray& jpeg);
};

extern TForm6* Form6;

// The product line under the picture: name, version and licence.
QString ProductLine();
