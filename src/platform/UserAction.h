#pragma once
// A user action (a click, a pick, a window being shown) ends at its own edge when it fails: the
// error it raises is caught there and shown by the general error display (ShowException), and the
// program goes on. No exception crosses the event dispatch of the toolkit.
//
// Windows connect their handlers through ConnectAction instead of QObject::connect:
//
//     platform::ConnectAction(okButton, &QPushButton::clicked, this, &TMyFrm::okClick);
//
// and wrap handlers they call from event overrides in RunAction.

#include <QObject>

#include <functional>

namespace platform {

// Runs `action`; an exception it raises is shown with its text (std::exception's what()) and ends
// only this action. True when the action ran to its end.
bool RunAction(const std::function<void()> &action);

// Connects `signal` of `sender` to the handler `slot` of `receiver`, run through RunAction. The
// handler takes the first arguments of the signal, as many as it names (none for a click handler).
template <class Sender, class Signal, class Receiver, class... Args>
QMetaObject::Connection ConnectAction(const Sender *sender, Signal signal, Receiver *receiver,
                                      void (Receiver::*slot)(Args...))
{
    return QObject::connect(sender, signal, receiver, [receiver, slot](Args... args) {
        RunAction([&] { (receiver->*slot)(args...); });
    });
}

} // namespace platform
