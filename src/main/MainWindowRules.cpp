#include "main/MainWindowRules.h"

#include <QStringList>

QRect MainWindowGeometry(const QRect &screen, const QRect &workArea)
{
    const int taskBar = screen.height() - workArea.height();
    return QRect(screen.topLeft(), QSize(screen.width(), screen.height() - taskBar + 3));
}

QRect ClientAreaWithinWorkArea(const QRect &wanted, const QMargins &frame, const QRect &workArea)
{
    return wanted.intersected(workArea).marginsRemoved(frame);
}

QString CatalogueStatusText(const QString &tabCaption, int recNo, int count)
{
    return QStringLiteral("  ") + tabCaption + QStringLiteral("  ") + QString::number(recNo) + QLatin1Char('/')
        + QString::number(count);
}

QStringList DesignTimeTabs()
{
    return {QStringLiteral("邮发报刊目录"), QStringLiteral("非邮发报刊目录"), QStringLiteral("人大资料报刊目录"),
            QStringLiteral("图书目录")};
}
