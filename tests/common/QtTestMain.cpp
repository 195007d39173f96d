#include <QApplication>

#include <gtest/gtest.h>

// Widget tests need one QApplication for the whole run; without a display
// (also while CTest lists the tests) they use the offscreen platform.
int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
