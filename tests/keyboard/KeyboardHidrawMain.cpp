// Entry point of the keyboard's hidraw tests: the emulated hidraw process set-up (umockdev
// preload, a private mount namespace for FUSE), then GoogleTest inside a QApplication.
#include "HidrawEmuProcess.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    vpc::hidemu::PrepareEmulatedHidrawProcess(argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
