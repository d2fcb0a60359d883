#pragma once
// Makes a folder or a file impossible to write for as long as it lives: its permission bits are taken
// away, and where that is not enough (the tests run as root) it is also made immutable with chattr.
// A folder that does not exist is made first. ok() is false when neither works on this machine; the
// caller then skips.

#include <QString>

class ReadOnlyPath {
public:
    explicit ReadOnlyPath(const QString &path);
    ~ReadOnlyPath();
    ReadOnlyPath(const ReadOnlyPath &) = delete;
    ReadOnlyPath &operator=(const ReadOnlyPath &) = delete;
    bool ok() const { return m_ok; }

private:
    bool writable() const;
    QString m_path;
    bool m_folder = true;
    bool m_immutable = false;
    bool m_ok = false;
};
