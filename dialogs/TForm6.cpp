#include "dialogs/TForm6.h"

#include "dialogs/JpegDecoder.h"
#include "dialogs/TImage.h"
#include "ui/UiLayer.h"

#include <QFile>
#include <QLabel>
#include <QPalette>

TForm6* Form6 = nullptr;

// The picture sits in an object file of its own; reached only through a static library, the
// linker would leave it out. Naming its initialiser keeps it in every program with this window.
static void registerAboutPicture() {
    Q_INIT_RESOURCE(about);
}

namespace {

QByteArray readResource(const QString& name) {
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return {}; // the decoder reports the empty input as its own error
    return file.readAll();
}

} // namespace

QString ProductLine() {
    return QStringLiteral("Ferrylo " FERRYLO_VERSION " — свободная программа, лицензия MIT");
}

TForm6::TForm6(QWidget* parent)
    : TForm6((registerAboutPicture(), readResource(QStringLiteral(":/about.jpg"))), parent) {}

TForm6::TForm6(const QByteArray& jpeg, QWidget* parent) : QWidget(parent, Qt::Window) {
    buildControls();
    loadPicture(jpeg);
}

void TForm6::buildControls() {
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("О программе"));
    setFixedSize(733, 524);
    move(192, 125);

    Image1 = new TImage(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAccessibleName(QStringLiteral("Картинка о программе"));
    Image1->setGeometry(8, 8, 721, 449);

    StaticText1 = new QLabel(ProductLine(), this);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    StaticText1->setGeometry(48, 488, 608, 24);
    QFont font = StaticText1->font();
    font.setPixelSize(16);
    StaticText1->setFont(font);
    QPalette palette = StaticText1->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    StaticText1->setPalette(palette);
}

// Decoded once, here; painting reuses the bitmap. A picture that cannot be decoded is reported
// through the standard error box and the window stays usable, only without its picture.
void TForm6::loadPicture(const QByteArray& jpeg) {
    ui::RunHandler([&] { Image1->setPicture(DecodeJpeg(jpeg)); });
}
