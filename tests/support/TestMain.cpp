#include <QApplication>
#include <gtest/gtest.h>

// Every test binary runs with a (headless) application object, so widgets,
// timers and nested event loops behave as in the program.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quorvel");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
