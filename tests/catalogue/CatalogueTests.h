#pragma once
// Entry points of the catalogue test classes.

int runImportStatementsTest(int argc, char **argv);
int runImportWindowTest(int argc, char **argv);
int runEditWindowTest(int argc, char **argv);
int runCatalogueCheckTest(int argc, char **argv);
int runRegisterWindowTest(int argc, char **argv);
int runImportKillTest(int argc, char **argv);
