#include "CalendarTestSupport.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int failures = 0;
    failures += runVocabularyTest(argc, argv);
    failures += runDateTableTest(argc, argv);
    failures += runIssueCountTest(argc, argv);
    failures += runSubscriptionAmountTest(argc, argv);
    failures += runIrregularIssueTest(argc, argv);
    return failures;
}
