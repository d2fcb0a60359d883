#pragma once
// Entry points of the widget set's test classes.

int runGridTest(int argc, char **argv);
int runControlsTest(int argc, char **argv);
