#include "ReadOnlyPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace {

bool chattr(const QString &flag, const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("chattr"), {flag, path});
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit
           && process.exitCode() == 0;
}

} // namespace

ReadOnlyPath::ReadOnlyPath(const QString &path) : m_path(path)
{
    m_folder = !QFileInfo(path).isFile();
    if (m_folder)
        QDir().mkpath(path);
    QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    if (m_folder)
        readOnly |= QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    QFile::setPermissions(path, readOnly);
    if (writable())
        m_immutable = chattr(QStringLiteral("+i"), path);
    m_ok = !writable();
}

ReadOnlyPath::~ReadOnlyPath()
{
    if (m_immutable)
        chattr(QStringLiteral("-i"), m_path);
    QFile::Permissions writable = QFile::ReadOwner | QFile::WriteOwner;
    if (m_folder)
        writable |= QFile::ExeOwner;
    QFile::setPermissions(m_path, writable);
}

bool ReadOnlyPath::writable() const
{
    if (!m_folder) {
        QFile file(m_path);
        return file.open(QIODevice::WriteOnly | QIODevice::Append);
    }
    QFile probe(QDir(m_path).filePath(QStringLiteral(".probe")));
    if (!probe.open(QIODevice::WriteOnly))
        return false;
    probe.close();
    probe.remove();
    return true;
}
