#pragma once
// Helpers shared by the calendar tests, and the entry points of their test classes.

// The number of rows of the calendar table rqdzb (-1 when it cannot be read).
int calendarRows();

int runDateTableTest(int argc, char **argv);
int runVocabularyTest(int argc, char **argv);
int runIssueCountTest(int argc, char **argv);
int runSubscriptionAmountTest(int argc, char **argv);
int runIrregularIssueTest(int argc, char **argv);
