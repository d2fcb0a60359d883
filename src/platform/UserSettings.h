#pragma once
// The user's settings of the program (QSettings under the user's configuration folder).

#include <QSettings>
#include <QString>

#include <memory>

namespace platform {

// The settings object of the program: organisation "Tavrin", application "tavrin".
std::unique_ptr<QSettings> UserSettings();

} // namespace platform
