#include "OrderTestSupport.h"

#include "TestDatabase.h"

#include "data/Udm.h"
#include "main/UbkMainFrm.h"
#include "orders/UdybkFrm.h"
#include "platform/TestHooks.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

StatementLog::StatementLog()
{
    dm->ADOConnection.setStatementObserver([this](const QString &sql) {
        const QString first = sql.section(QLatin1Char(' '), 0, 0).toLower();
        if (first == QLatin1String("insert") || first == QLatin1String("update") || first == QLatin1String("delete"))
            m_writes << sql;
    });
}

StatementLog::~StatementLog()
{
    if (dm)
        dm->ADOConnection.setStatementObserver(nullptr);
}

QStringList rowsOf(const QString &sql)
{
    db::Query query;
    QStringList rows;
    if (OpenQuery(sql, query) <= 0)
        return rows;
    for (query.first(); !query.eof(); query.next()) {
        QStringList fields;
        for (const QString &name : query.fieldNames())
            fields << (query.isNull(name) ? QStringLiteral("<null>") : query.fieldText(name));
        rows << fields.join(QLatin1Char('|'));
    }
    return rows;
}

QString valueOf(const QString &sql)
{
    const QStringList rows = rowsOf(sql);
    return rows.isEmpty() ? QString() : rows.first().section(QLatin1Char('|'), 0, 0);
}

std::unique_ptr<TbkMainFrm> startMainWindow(const TestDatabase &database, int role)
{
    std::unique_ptr<TbkMainFrm> window(new TbkMainFrm);
    // The creation step points at the program's own folder; the login put the test file there.
    GP.DatabasePath = database.path();
    GP.ConnectionText = ConnectionTextFor(database.path());
    GP.UserRole = role;
    window->show();
    waitUntilActive(window.get());
    return window;
}

void waitUntilActive(QWidget *window)
{
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        qWarning("%s did not become active", window->metaObject()->className());
}

void pickItem(QComboBox *box, const QString &item)
{
    const int index = box->findText(item);
    QVERIFY2(index >= 0, qPrintable(item));
    box->setCurrentIndex(index);
    emit box->activated(index);
}

void focusOn(QWidget *widget)
{
    widget->setFocus(Qt::OtherFocusReason);
    QCoreApplication::processEvents();
}

void pressTab()
{
    QWidget *focus = QApplication::focusWidget();
    QVERIFY(focus);
    QTest::keyClick(focus, Qt::Key_Tab);
    QCoreApplication::processEvents();
}

void typeInto(QWidget *edit, const QString &text)
{
    focusOn(edit);
    auto *line = qobject_cast<QLineEdit *>(edit);
    QVERIFY(line);
    line->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    typeText(edit, text);
}

void typeText(QWidget *widget, const QString &text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

void driveSubscription(QAbstractButton *button, const std::function<void(TdybkFrm *)> &drive)
{
    bool ran = false;
    platform::TestHooks::queueForm([&](QDialog *form) {
        auto *d = qobject_cast<TdybkFrm *>(form);
        QVERIFY(d);
        waitUntilActive(d);
        ran = true;
        drive(d);
    });
    button->click();
    QVERIFY(ran);
}
