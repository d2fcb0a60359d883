#pragma once
// The error the grid export raises with its fixed texts ("请输入DBGrid名称", "工作表命名重复！", ...).
// what() carries the text in UTF-8, which is how the general error display reads every error.

#include <QString>
#include <stdexcept>

class GridExportError : public std::runtime_error {
public:
    explicit GridExportError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};
