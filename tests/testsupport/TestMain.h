#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <gtest/gtest.h>

// The body of a test program's main: an application object of type App on the offscreen
// platform, so that window tests run without a display, then every test. CTest's discovery runs
// the binary without the test environment, hence the platform is set here when nobody chose one.
template <typename App> int runTests(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    App app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
