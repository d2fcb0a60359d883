#include "ReadOnlyFolder.h"

#include <QDir>
#include <QFile>
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

ReadOnlyFolder::ReadOnlyFolder(const QString &path) : m_path(path)
{
    QDir().mkpath(path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                                    | QFile::ReadOther | QFile::ExeOther);
    if (writable())
        m_immutable = chattr(QStringLiteral("+i"), path);
    m_ok = !writable();
}

ReadOnlyFolder::~ReadOnlyFolder()
{
    if (m_immutable)
        chattr(QStringLiteral("-i"), m_path);
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

bool ReadOnlyFolder::writable() const
{
    QFile probe(QDir(m_path).filePath(QStringLiteral(".probe")));
    if (!probe.open(QIODevice::WriteOnly))
        return false;
    probe.close();
    probe.remove();
    return true;
}
