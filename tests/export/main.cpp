#include "platform/Application.h"
#include "platform/TestHooks.h"

#include <QtTest>

int runTextExportTest(int argc, char **argv);
int runSheetExportTest(int argc, char **argv);
int runExportContentTest(int argc, char **argv);

int main(int argc, char **argv)
{
    platform::Application app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    platform::TestHooks::install();
    int failures = 0;
    failures += runTextExportTest(argc, argv);
    failures += runSheetExportTest(argc, argv);
    failures += runExportContentTest(argc, argv);
    return failures;
}
