#pragma once
// The one error type of the spreadsheet layer: every failing member call and every
// file that cannot be read or written raises it with a message meant for the user.

#include <QString>
#include <stdexcept>

namespace sheet {

class SheetError : public std::runtime_error {
public:
    explicit SheetError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

} // namespace sheet
