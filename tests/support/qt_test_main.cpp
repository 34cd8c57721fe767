// One QApplication per test binary, created before any test runs; windows are offscreen.
#include "ui/UiLayer.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // A prompt that no test answered fails the test that showed it, wherever it was shown.
    ui::testing::Script::setFailureHook([](const QString& report) { ADD_FAILURE() << report.toStdString(); });
    return RUN_ALL_TESTS();
}
