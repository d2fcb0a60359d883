#pragma once
// Entry points of the report test classes.

int runSummaryTest(int argc, char **argv);
int runPrintTest(int argc, char **argv);
