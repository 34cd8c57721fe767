#include "dialogs/JpegDecoder.h"
#include "dialogs/TForm6.h"
#include "dialogs/TImage.h"
#include "ui/UiLayer.h"

#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <cstdio>
#include <gtest/gtest.h>
#include <jpeglib.h>
// after jpeglib.h, which it builds on
#include <jerror.h>

namespace {

QByteArray aboutPicture() {
    QFile file(QStringLiteral(":/about.jpg"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

} // namespace

TEST(JpegDecoder, AboutPictureDecodesAtItsOwnSizeInRgbOrder) {
    const QImage picture = DecodeJpeg(aboutPicture());
    ASSERT_EQ(picture.size(), QSize(719, 480));
    // The top-left corner is sky: blue above red tells a swapped channel order apart.
    const QColor sky = picture.pixelColor(0, 0);
    EXPECT_GT(sky.blue(), sky.red() + 60);
}

TEST(JpegDecoder, DamagedPicturesGiveTheLibraryErrorNumber) {
    QByteArray badPrecision = aboutPicture();
    const qsizetype sof = badPrecision.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(sof, 0);
    badPrecision[sof + 4] = 7; // sample precision: only 8 (and 12) exist

    const struct {
        const char* name;
        QByteArray data;
        int code;
    } cases[] = {
        {"empty", QByteArray(), JERR_INPUT_EMPTY},
        {"not a JPEG", QByteArray("GIF89a, nothing like it"), JERR_NO_SOI},
        {"bad precision", badPrecision, JERR_BAD_PRECISION},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            DecodeJpeg(c.data);
            ADD_FAILURE() << "decoded";
        } catch (const EJpegError& error) {
            EXPECT_EQ(error.code(), c.code);
            EXPECT_EQ(std::string(error.what()), "JPEG error #" + std::to_string(c.code));
        }
    }
}

TEST(TForm6, FixedWindowDrawsThePictureUnscaledFromTheTopLeft) {
    ui::testing::Script script;
    TForm6 form;
    EXPECT_TRUE(script.shown().empty());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("О программе"));
    EXPECT_EQ(form.minimumSize(), QSize(733, 524));
    EXPECT_EQ(form.maximumSize(), QSize(733, 524));
    EXPECT_TRUE(form.isWindow());
    EXPECT_EQ(form.Image1->geometry(), QRect(8, 8, 721, 449));
    EXPECT_EQ(form.StaticText1->geometry(), QRect(48, 488, 608, 24));
    EXPECT_TRUE(form.StaticText1->text().startsWith(QStringLiteral("Ferrylo ")));
    EXPECT_EQ(form.StaticText1->palette().color(QPalette::WindowText), QColor(Qt::red));

    const QImage& picture = form.Image1->picture();
    ASSERT_EQ(picture.size(), QSize(719, 480));
    const QImage drawn = form.Image1->grab().toImage();
    ASSERT_EQ(drawn.size(), QSize(721, 449));
    // Drawn 1:1: the same pixels at the same places, the last row being row 448 of the picture.
    for (const QPoint p : {QPoint(0, 0), QPoint(360, 300), QPoint(718, 448)})
        EXPECT_EQ(drawn.pixelColor(p), picture.pixelColor(p)) << p.x() << "," << p.y();
}

TEST(TForm6, UndecodablePictureIsReportedAndTheWindowStillWorks) {
    ui::testing::Script script;
    TForm6 form(QByteArray("\xFF\xD8 broken", 9));
    ASSERT_EQ(script.shown().size(), 1u);
    EXPECT_EQ(script.shown()[0].kind, ui::testing::Shown::Kind::Error);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^JPEG error #\\d+$")).match(script.shown()[0].text).hasMatch())
        << script.shown()[0].text.toStdString();
    EXPECT_TRUE(form.Image1->picture().isNull());
    form.show();
    form.close(); // the frame's close only hides
    EXPECT_FALSE(form.isVisible());
    form.show();
    EXPECT_TRUE(form.isVisible());
}
