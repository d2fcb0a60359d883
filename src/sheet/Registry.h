#pragma once
// Spreadsheet applications by program identifier, as the desktop offered them:
// "Excel.Application" (also "excel.application") and "Et.Application" (WPS), letter
// case ignored. "Get the running one" and "create a new one" are separate calls; both
// return nullptr when they fail. Tests install their own factory to make a start fail
// or to record the calls:
//
//     struct Failing : sheet::InProcessFactory {
//         std::shared_ptr<sheet::Application> createNew(const QString &) override { return nullptr; }
//     };
//     sheet::ScopedApplicationFactory guard(std::make_shared<Failing>());

#include "Spreadsheet.h"

#include <QString>
#include <memory>
#include <vector>

namespace sheet {

class ApplicationFactory {
public:
    virtual ~ApplicationFactory() = default;
    virtual std::shared_ptr<Application> getRunning(const QString &progId) = 0;
    virtual std::shared_ptr<Application> createNew(const QString &progId) = 0;
};

// The factory in use unless a test replaces it: knows the three identifiers; "running"
// means made by this factory, still referenced somewhere and not quit (the most recent
// one of that identifier).
class InProcessFactory : public ApplicationFactory {
public:
    std::shared_ptr<Application> getRunning(const QString &progId) override;
    std::shared_ptr<Application> createNew(const QString &progId) override;

private:
    std::vector<std::weak_ptr<Application>> m_made;
};

// "excel.application" or "et.application" for a known identifier, else an empty text.
QString canonicalProgId(const QString &progId);

std::shared_ptr<Application> getRunningApplication(const QString &progId);
std::shared_ptr<Application> createApplication(const QString &progId);

// Installs a factory (nullptr restores a fresh InProcessFactory); returns the previous one.
std::shared_ptr<ApplicationFactory> setApplicationFactory(std::shared_ptr<ApplicationFactory> factory);

// Installs a factory for the lifetime of this object, then puts the previous one back.
class ScopedApplicationFactory {
public:
    explicit ScopedApplicationFactory(std::shared_ptr<ApplicationFactory> factory)
        : m_previous(setApplicationFactory(std::move(factory))) {}
    ~ScopedApplicationFactory() { setApplicationFactory(m_previous); }
    ScopedApplicationFactory(const ScopedApplicationFactory &) = delete;
    ScopedApplicationFactory &operator=(const ScopedApplicationFactory &) = delete;

private:
    std::shared_ptr<ApplicationFactory> m_previous;
};

} // namespace sheet
