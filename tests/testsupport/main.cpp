#include <QApplication>
#include <gtest/gtest.h>

// One main for every test program: a QApplication on the offscreen platform, so that window
// tests run without a display. CTest's discovery runs this binary without the test
// environment, hence the platform is set here when nobody chose one.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
