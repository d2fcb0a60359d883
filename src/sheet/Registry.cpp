#include "Registry.h"

namespace sheet {

namespace {

std::shared_ptr<ApplicationFactory> &currentFactory()
{
    static std::shared_ptr<ApplicationFactory> factory = std::make_shared<InProcessFactory>();
    return factory;
}

} // namespace

QString canonicalProgId(const QString &progId)
{
    const QString id = progId.trimmed().toLower();
    if (id == QLatin1String("excel.application") || id == QLatin1String("et.application"))
        return id;
    return QString();
}

std::shared_ptr<Application> InProcessFactory::getRunning(const QString &progId)
{
    const QString id = canonicalProgId(progId);
    if (id.isEmpty())
        return nullptr;
    for (auto it = m_made.rbegin(); it != m_made.rend(); ++it) {
        auto app = it->lock();
        if (app && !app->hasQuit() && canonicalProgId(app->progId()) == id)
            return app;
    }
    return nullptr;
}

std::shared_ptr<Application> InProcessFactory::createNew(const QString &progId)
{
    if (canonicalProgId(progId).isEmpty())
        return nullptr;
    std::erase_if(m_made, [](const std::weak_ptr<Application> &w) { return w.expired(); });
    auto app = std::make_shared<Application>(progId);
    m_made.push_back(app);
    return app;
}

std::shared_ptr<Application> getRunningApplication(const QString &progId)
{
    return currentFactory()->getRunning(progId);
}

std::shared_ptr<Application> createApplication(const QString &progId)
{
    return currentFactory()->createNew(progId);
}

std::shared_ptr<ApplicationFactory> setApplicationFactory(std::shared_ptr<ApplicationFactory> factory)
{
    if (!factory)
        factory = std::make_shared<InProcessFactory>();
    std::swap(currentFactory(), factory);
    return factory;
}

} // namespace sheet
