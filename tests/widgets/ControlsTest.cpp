// The small controls: pick-list combo boxes, number edits, the whole-number field, radio groups,
// caption labels and the flat tab control.

#include "WidgetTests.h"

#include "widgets/CaptionLabel.h"
#include "widgets/TFlatTabControl.h"
#include "widgets/TNumberEdit.h"
#include "widgets/TPickComboBox.h"
#include "widgets/TRadioGroup.h"
#include "widgets/TSpinEdit.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTabBar>
#include <QtTest>

class ControlsTest : public QObject {
    Q_OBJECT
private slots:
    void pickListDiscardsTypedCharacters()
    {
        QWidget window;
        TPickComboBox box(&window);
        box.addItems({"报刊代号", "报刊名称"});
        box.setCurrentIndex(-1);
        window.show();
        QApplication::setActiveWindow(&window);
        QSignalSpy changes(&box, &TPickComboBox::Change);
        box.setFocus();
        QTest::keyClicks(box.lineEdit(), "abc");
        QTest::keyClick(box.lineEdit(), Qt::Key_Backspace);
        QCOMPARE(box.currentText(), QString());
        QCOMPARE(changes.count(), 0);

        box.setCurrentIndex(1);
        QCOMPARE(PickedIndex(&box), 1);
        QTest::keyClicks(box.lineEdit(), "x");
        QCOMPARE(box.currentText(), QString("报刊名称"));
        // Keys reach the box that has the focus, not only its edit; so does composed text.
        QTest::keyClicks(&box, "5x");
        QTest::keyClick(&box, Qt::Key_Backspace);
        QTest::sendKeyEvent(QTest::Click, &box, Qt::Key_unknown, QStringLiteral("季"), Qt::NoModifier);
        QInputMethodEvent composed;
        composed.setCommitString(QStringLiteral("季度"));
        QApplication::sendEvent(&box, &composed);
        QCOMPARE(box.currentText(), QString("报刊名称"));
        QCOMPARE(PickedIndex(&box), 1);
        QCOMPARE(changes.count(), 0);

        emit box.activated(0); // a pick from the list
        QCOMPARE(changes.count(), 1);

        box.lineEdit()->selectAll();
        QTest::keyClick(box.lineEdit(), Qt::Key_Delete);
        QCOMPARE(box.currentText(), QString());
        QCOMPARE(changes.count(), 2);
        QCOMPARE(PickedIndex(&box), -1); // the text no longer names the entry

        QComboBox plain;
        plain.setEditable(true);
        plain.addItems({"月刊", "季刊"});
        plain.setCurrentIndex(0);
        QCOMPARE(PickedIndex(&plain), 0);
        plain.setEditText("月刊x");
        QCOMPARE(PickedIndex(&plain), -1);
        plain.setCurrentIndex(-1);
        QCOMPARE(PickedIndex(&plain), -1);
    }

    void numberEditShowsItsFormatWhenNotEditing()
    {
        QWidget window;
        TNumberEdit amount(&window, -1, "0.00");
        QLineEdit other(&window);
        window.show();
        QSignalSpy changes(&amount, &TNumberEdit::changed);
        amount.setValue(12.5);
        QCOMPARE(amount.text(), QString("12.50"));
        QCOMPARE(changes.count(), 1);
        amount.setValue(12.5);
        QCOMPARE(changes.count(), 1);

        QApplication::setActiveWindow(&window);
        amount.setFocus();
        QVERIFY(amount.hasFocus());
        QCOMPARE(amount.text(), QString("12.5"));
        amount.clear();
        QTest::keyClicks(&amount, "3.456x");
        QCOMPARE(amount.Value(), 3.456);
        other.setFocus();
        QCOMPARE(amount.text(), QString("3.46"));

        TNumberEdit copies(&window, 0);
        copies.setValue(2.6);
        QCOMPARE(copies.AsInteger(), qint64(3));
        QCOMPARE(copies.text(), QString("3"));
        copies.setFocus();
        copies.clear();
        QTest::keyClicks(&copies, "4.5");
        QCOMPARE(copies.text(), QString("45"));
        QCOMPARE(copies.Value(), 45.0);
        copies.clear();
        QTest::keyClicks(&copies, "a"); // refused; empty text holds 0
        QCOMPARE(copies.Value(), 0.0);
    }

    void spinEditKeepsItsRange()
    {
        TSpinEdit year(nullptr, 2009, 2025);
        year.setValue(2030);
        QCOMPARE(year.value(), 2025);
        year.setValue(1999);
        QCOMPARE(year.value(), 2009);
        year.setMaxValue(2010);
        QCOMPARE(year.MaxValue(), 2010);
    }

    void radioGroupLaysOutColumns()
    {
        TRadioGroup group;
        group.setColumns(3);
        group.setItems({"全部", "杂志", "报纸"});
        group.resize(180, 30);
        QCOMPARE(group.ItemIndex(), -1);
        group.setItemIndex(2);
        QCOMPARE(group.ItemIndex(), 2);
        group.setItemIndex(-1);
        QCOMPARE(group.ItemIndex(), -1);
        QCOMPARE(group.button(0)->y(), group.button(2)->y());
        QVERIFY(group.button(0)->x() < group.button(1)->x());
        QVERIFY(group.button(1)->x() < group.button(2)->x());

        QSignalSpy clicks(&group, &TRadioGroup::Click);
        group.show();
        QTest::mouseClick(group.button(1), Qt::LeftButton, {}, QPoint(5, group.button(1)->height() / 2));
        QCOMPARE(group.ItemIndex(), 1);
        QCOMPARE(clicks.count(), 1);

        TRadioGroup four;
        four.setColumns(2);
        four.setItems({"a", "b", "c"});
        four.resize(100, 60);
        // Filled column by column: a and b in the first column, c in the second.
        QCOMPARE(four.button(0)->x(), four.button(1)->x());
        QVERIFY(four.button(2)->x() > four.button(0)->x());
        QCOMPARE(four.button(2)->y(), four.button(0)->y());
    }

    void captionLabelFollowsItsControl()
    {
        QWidget window;
        TLabeledEdit edit("单位名称", &window);
        edit.setGeometry(50, 40, 100, 22);
        window.show();
        TCaptionLabel *label = edit.EditLabel();
        QCOMPARE(label->parentWidget(), &window);
        QCOMPARE(label->x(), 50);
        QVERIFY(label->geometry().bottom() < 40);
        edit.move(60, 80);
        QCOMPARE(label->x(), 60);
        edit.setEnabled(false);
        QVERIFY(!label->isEnabled());
        edit.hide();
        QVERIFY(label->isHidden());

        TLabeledComboBox box("联系人", &window, TLabelPosition::Left);
        box.setGeometry(100, 120, 80, 22);
        QVERIFY(box.EditLabel()->geometry().right() < 100);
    }

    void tabControlTellsChanges()
    {
        TFlatTabControl tabs;
        QSignalSpy changes(&tabs, &TFlatTabControl::Change);
        tabs.setTabs({"邮发报刊目录", "非邮发报刊目录"});
        QCOMPARE(changes.count(), 0);
        QCOMPARE(tabs.TabIndex(), 0);
        tabs.setTabIndex(1);
        QCOMPARE(changes.count(), 1);
        QCOMPARE(tabs.tabCaption(1), QString("非邮发报刊目录"));
        tabs.setTabs({"a", "b", "c"});
        QCOMPARE(tabs.Tabs(), QStringList({"a", "b", "c"}));
        QCOMPARE(changes.count(), 1);
    }
};

int runControlsTest(int argc, char **argv)
{
    ControlsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ControlsTest.moc"
