#include "platform/UserAction.h"

#include "platform/Application.h"
#include "platform/Dialogs.h"

#include <exception>

namespace platform {

bool RunAction(const std::function<void()> &action)
{
    try {
        action();
        return true;
    } catch (const std::exception &error) {
        ShowException(ExceptionMessage(error));
    } catch (...) {
        ShowException(QStringLiteral("未知错误"));
    }
    return false;
}

} // namespace platform
