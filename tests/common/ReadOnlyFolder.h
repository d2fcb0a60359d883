#pragma once
// Makes a folder impossible to write into for as long as it lives: its permission bits are taken
// away, and where that is not enough (the tests run as root) the folder is also made immutable with
// chattr. ok() is false when neither works on this machine; the caller then skips.

#include <QString>

class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString &path);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;
    bool ok() const { return m_ok; }

private:
    bool writable() const;
    QString m_path;
    bool m_immutable = false;
    bool m_ok = false;
};
