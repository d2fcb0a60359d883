#pragma once
// The one error type of the database layer: carries the engine's message text and, for the faults a
// desk can meet on a server, which fault it was (callers retry or reconnect by it).

#include "db/EngineMessages.h"

#include <QString>
#include <stdexcept>

namespace db {

class DbError : public std::runtime_error {
public:
    explicit DbError(const QString &message, EngineFault fault = EngineFault::None)
        : std::runtime_error(message.toStdString()), m_message(message), m_fault(fault) {}
    QString message() const { return m_message; }
    EngineFault fault() const { return m_fault; }

private:
    QString m_message;
    EngineFault m_fault;
};

} // namespace db
