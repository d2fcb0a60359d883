#include "platform/Desktop.h"

#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>

namespace platform {

QRect ScreenWorkArea()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void InstallFontSubstitutions()
{
    const QString serif = QStringLiteral("Noto Serif CJK SC");
    const QString sans = QStringLiteral("Noto Sans CJK SC");
    QFont::insertSubstitution(QStringLiteral("宋体"), serif);
    QFont::insertSubstitution(QStringLiteral("SimSun"), serif);
    QFont::insertSubstitution(QStringLiteral("黑体"), sans);
    QFont::insertSubstitution(QStringLiteral("SimHei"), sans);
    QFont::insertSubstitution(QStringLiteral("幼圆"), sans);
    QFont::insertSubstitution(QStringLiteral("YouYuan"), sans);
    if (!QGuiApplication::instance())
        return;
    // The default font and the generic families reach Chinese through the SC face first; the
    // system's own fallback would pick the Japanese face in a locale without a language.
    const QFont current = QGuiApplication::font();
    for (const QString &family : current.families())
        QFont::insertSubstitution(family, sans);
    for (const char *generic : {"Sans Serif", "sans-serif", "Serif", "serif", "DejaVu Sans",
                                "DejaVu Serif", "Monospace", "monospace"})
        QFont::insertSubstitution(QString::fromLatin1(generic), sans);
}

} // namespace platform
