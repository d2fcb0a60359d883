#pragma once
// The one error type of the database layer: carries the engine's message text.

#include <QString>
#include <stdexcept>

namespace db {

class DbError : public std::runtime_error {
public:
    explicit DbError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

} // namespace db
