// The GUI tests' entry: one application object for every test, offscreen unless told.

#include <gtest/gtest.h>
#include <QApplication>

#include "platform/number_format.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    vx::platform::keepPointDecimals();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
