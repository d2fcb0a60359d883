#include "platform/UserSettings.h"

namespace platform {

std::unique_ptr<QSettings> UserSettings()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tavrin"),
                                       QStringLiteral("tavrin"));
}

} // namespace platform
