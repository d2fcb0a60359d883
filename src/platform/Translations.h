#pragma once
// Qt's own texts (file dialogs, message-box buttons, edit menus) in Simplified Chinese, whatever the
// desktop's language.

namespace platform {

// Loads Qt's Simplified Chinese translations from Qt's translation folder into the application.
// Once per process; true when they are in place. Without them Qt's texts stay English.
bool InstallQtTranslations();

} // namespace platform
