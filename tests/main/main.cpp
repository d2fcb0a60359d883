#include "MainTests.h"

#include "platform/Application.h"
#include "platform/TestHooks.h"

int main(int argc, char **argv)
{
    platform::Application app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    platform::TestHooks::install();
    int failures = 0;
    failures += runStatementsTest(argc, argv);
    failures += runMainWindowTest(argc, argv);
    failures += runReportButtonsTest(argc, argv);
    return failures;
}
