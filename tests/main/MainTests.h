#pragma once
// Entry points of the main window's test classes.

int runStatementsTest(int argc, char **argv);
int runMainWindowTest(int argc, char **argv);
int runReportButtonsTest(int argc, char **argv);
