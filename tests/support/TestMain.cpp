// Test entry: a QApplication exists for every test, so that widgets, models and
// event processing work the same as in the program.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0); // test discovery runs without a display
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
