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

// The message for a sound file that is more than the readers take in (`why` says which limit).
inline QString tooLargeText(const QString &fileName, const QString &why)
{
    return QStringLiteral("无法读取文件“%1”：文件太大（%2），请删去不需要的行列或分成几个文件再导入").arg(fileName, why);
}

} // namespace sheet
