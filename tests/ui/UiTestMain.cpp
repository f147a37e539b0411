// The widget tests need one QApplication for the whole run, created before any test.

#include <QApplication>
#include <QByteArray>
#include <QDir>

#include <gtest/gtest.h>

#include "SanitizerSuppressions.h"

#include <cstdlib>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        QByteArray runtime = QDir::tempPath().toLocal8Bit() + "/velloran-test-XXXXXX";
        if (mkdtemp(runtime.data()) != nullptr) {
            qputenv("XDG_RUNTIME_DIR", runtime);
        }
    }
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
