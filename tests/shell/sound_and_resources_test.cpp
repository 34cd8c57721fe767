// The chime and the tray pictures as the program finds them in its resources, and a sound wait
// that ends even where no device ever reports the end.
#include "shell/Sound.h"

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

namespace {

TEST(Resources, SevenTrayPicturesOf32By32FillUpStepByStep) {
    int previousFilled = -1;
    for (int stage = 0; stage <= 6; ++stage) {
        SCOPED_TRACE(stage);
        const QImage picture(QStringLiteral(":/MYFOLDER/ICON%1").arg(stage));
        ASSERT_FALSE(picture.isNull());
        EXPECT_EQ(picture.size(), QSize(32, 32));
        // The filling is the one strongly green colour of the picture; each stage has more of it.
        int filled = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const QColor c = picture.pixelColor(x, y);
                filled += c.green() > 120 && c.red() < 100 && c.alpha() == 255;
            }
        EXPECT_GT(filled, previousFilled);
        previousFilled = filled;
    }
    EXPECT_FALSE(QImage(QStringLiteral(":/ferrylo.png")).isNull());
}

#ifndef _WIN32
// The media framework comes with the module that plays the chime, beside the program, and only when a sound is
// asked for: it is not mapped for the whole run. (Each test runs in a process of its own under ctest.)
TEST(Sound, TheMediaFrameworkIsMappedOnlyOnceASoundIsAskedFor) {
    const auto mapped = [] {
        QFile maps(QStringLiteral("/proc/self/maps"));
        return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6Multimedia");
    };
    EXPECT_FALSE(mapped());
    HasSoundOutput();
    EXPECT_TRUE(SoundModuleFound());
    EXPECT_TRUE(mapped());
}
#endif

TEST(Sound, TheChimeIsAShortMonoWave) {
    QFile wave(QStringLiteral(":/MYWAVE1.wav"));
    ASSERT_TRUE(wave.open(QIODevice::ReadOnly));
    const QByteArray header = wave.read(44);
    ASSERT_EQ(header.size(), 44);
    EXPECT_EQ(header.left(4), "RIFF");
    EXPECT_EQ(header.mid(8, 4), "WAVE");
    EXPECT_EQ(header[22], 1); // one channel
    EXPECT_LT(wave.size(), 200 * 1024);
}

TEST(Sound, PlayingReturnsWithinItsBoundAlsoWithoutADevice) {
    QElapsedTimer clock;
    clock.start();
    const bool played = PlayWaveResource(QStringLiteral(":/MYWAVE1.wav"), 1500);
    EXPECT_LT(clock.elapsed(), 2500);
    if (!HasSoundOutput()) {
        EXPECT_FALSE(played);
    }
    EXPECT_FALSE(PlayWaveResource(QStringLiteral(":/no such wave.wav"), 500));
}

} // namespace
