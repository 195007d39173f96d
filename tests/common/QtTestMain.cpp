#include <QApplication>

#include <gtest/gtest.h>

// Widget tests need one QApplication for the whole run; without a display
// (also while CTest lists the tests) they use the offscreen platform, with a
// screen the main window fits on at its design size.
int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM",
                "offscreen:configfile=" ZELMARO_SOURCE_DIR "/tests/common/screen-1280x1024.json");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
