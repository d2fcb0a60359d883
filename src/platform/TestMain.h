#pragma once
// main() for the QtTest executables of the windows: the program's application object (fonts,
// general error display) with the test hooks installed, so no test blocks on a modal window. The
// user's settings go to a folder of the test run's own.
//
//   TAVRIN_TEST_MAIN(TestLogin)
//   #include "tst_login.moc"

#include "platform/Application.h"
#include "platform/TestHooks.h"

#include <QTemporaryDir>
#include <QTest>

#define TAVRIN_TEST_MAIN(TestObject)                                                              \
    int main(int argc, char **argv)                                                               \
    {                                                                                             \
        QTemporaryDir settingsHome;                                                               \
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(settingsHome.path()));                       \
        platform::Application app(argc, argv);                                                    \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                  \
        platform::TestHooks::install();                                                           \
        TestObject tc;                                                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                                                \
        return QTest::qExec(&tc, argc, argv);                                                     \
    }
