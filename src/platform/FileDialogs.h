#pragma once
// The open and save dialogs behind OpenFileName and SaveFileName (Dialogs.h): the folder each purpose
// opens in, and the dialog itself, made here so that tests can look at it without showing it.

#include "platform/Dialogs.h"

#include <QFileDialog>

#include <memory>

namespace platform {

// The folder a dialog for `request` opens in: the proposed name's own folder when it carries one,
// else the folder last used for the request's purpose while it still exists, else the home folder.
QString StartFolder(const FileDialogRequest &request);
// Keeps the folder of `chosenFile` as the last one used for `purpose` (nothing for an empty purpose).
void RememberFolder(const QString &purpose, const QString &chosenFile);

// The program's file dialog for `request` (not shown). Filters show their description only, as the
// program writes it; a save dialog settles the extension of a typed name (SavedFileName) before it
// asks whether to replace an existing file.
std::unique_ptr<QFileDialog> MakeFileDialog(QWidget *owner, const FileDialogRequest &request, bool save);

// The index of the dialog's chosen filter entry, -1 for none.
int ChosenFilterIndex(const QFileDialog &dialog);

} // namespace platform
