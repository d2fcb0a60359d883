#pragma once
// One running copy per user. The first copy holds a lock file and listens on a local socket; a
// later start finds the lock taken, asks the first copy over the socket to restore and raise its
// window, and ends. A lock or socket left behind by a crashed copy is taken over.
//
//   platform::SingleInstance guard;              // before anything else of the program
//   if (!guard.claim()) { guard.signalRunningCopy(); return 0; }
//   ... create the application object ...
//   guard.listen([&] { platform::RaiseWindow(mainWindow); });

#include <QLockFile>
#include <QString>

#include <functional>
#include <memory>

class QLocalServer;
class QWidget;

namespace platform {

class SingleInstance {
public:
    // `key` names the guard; the default is the program's. Lock and socket are per user.
    explicit SingleInstance(const QString &key = QStringLiteral("tavrin"));
    ~SingleInstance();

    // True when this process is the first copy (needs no application object).
    bool claim();
    // Asks the running copy to raise its window; true once it confirmed. Waits a few seconds at
    // most for a copy that is still starting (needs no application object).
    bool signalRunningCopy();
    // Starts answering later starts (needs the application object). False if listening failed.
    bool listen(std::function<void()> raiseRequested);
    // Stops answering (before the application object goes); the lock stays until destruction.
    void stopListening();

    QString lockFilePath() const { return m_lockPath; }
    QString socketPath() const { return m_socketPath; }

private:
    QString m_lockPath;
    QString m_socketPath;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QLocalServer> m_server;
};

// Restores a window from the minimised state and brings it to the front, then any modal window
// open above it. A window not yet shown stays hidden (only the modal window is raised then).
void RaiseWindow(QWidget *window);

} // namespace platform
