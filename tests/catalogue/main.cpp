#include "CatalogueTests.h"

#include "platform/Application.h"
#include "platform/TestHooks.h"

int main(int argc, char **argv)
{
    platform::Application app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    platform::TestHooks::install();
    int failures = 0;
    failures += runImportStatementsTest(argc, argv);
    failures += runImportWindowTest(argc, argv);
    failures += runEditWindowTest(argc, argv);
    failures += runCatalogueCheckTest(argc, argv);
    failures += runRegisterWindowTest(argc, argv);
    failures += runImportKillTest(argc, argv);
    return failures;
}
