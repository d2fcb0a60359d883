#include "platform/Application.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/FileDialogs.h"
#include "platform/SingleInstance.h"
#include "platform/TestHooks.h"
#include "platform/TestMain.h"
#include "platform/UserAction.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRawFont>
#include <QTemporaryDir>
#include <QTextLayout>
#include <QTimer>
#include <QtTest>

#include <stdexcept>

using platform::Answer;
using platform::Icon;
using platform::TestHooks;

namespace {

// A widget whose handlers fail the way a database or spreadsheet error does.
class FailingWidget : public QWidget {
public:
    static constexpr QEvent::Type FailEvent = QEvent::Type(QEvent::User + 1);
    int handled = 0;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == FailEvent) {
            ++handled;
            throw std::runtime_error(QStringLiteral("表 post 不存在").toStdString());
        }
        return QWidget::event(e);
    }
};

class TwoButtonForm : public QDialog {
public:
    explicit TwoButtonForm(int *destroyed) : m_destroyed(destroyed) { setWindowTitle("表单"); }
    ~TwoButtonForm() override { ++*m_destroyed; }

private:
    int *m_destroyed;
};

// The family name a font file gives itself (name table, Windows English entry; the typographic
// family when there is one).
QString familyInFile(const QRawFont &font)
{
    const QByteArray table = font.fontTable("name");
    auto u16 = [&table](qsizetype at) {
        return at + 2 <= table.size() ? quint16((uchar(table[at]) << 8) | uchar(table[at + 1])) : 0;
    };
    const int count = u16(2);
    const int strings = u16(4);
    QString family;
    for (int i = 0; i < count; ++i) {
        const qsizetype record = 6 + 12 * i;
        const int nameId = u16(record + 6);
        if (u16(record) != 3 || u16(record + 4) != 0x409 || (nameId != 1 && nameId != 16))
            continue;
        const QByteArray raw = table.mid(strings + u16(record + 10), u16(record + 8));
        QString text;
        for (qsizetype k = 0; k + 1 < raw.size(); k += 2)
            text += QChar(ushort((uchar(raw[k]) << 8) | uchar(raw[k + 1])));
        if (nameId == 16 || family.isEmpty())
            family = text;
    }
    return family;
}

// The font files' own names of the faces that draw `text` in `font`.
QStringList familiesDrawing(const QString &text, const QFont &font)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QStringList families;
    for (const QGlyphRun &run : layout.glyphRuns())
        families << familyInFile(run.rawFont());
    families.removeDuplicates();
    return families;
}

// Reads lines from a process until one equals `line` or the process ends.
bool waitForLine(QProcess &process, const QByteArray &line)
{
    while (true) {
        while (process.canReadLine())
            if (process.readLine().trimmed() == line)
                return true;
        if (process.state() == QProcess::NotRunning || !process.waitForReadyRead(30000))
            return false;
    }
}

} // namespace

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    void init() { TestHooks::install(); }

    void messageBoxesRecordCaptionIconTextAndOwner()
    {
        QWidget owner;
        owner.setObjectName("owner");
        platform::ShowPrompt(&owner, QStringLiteral(" 密码输入错误... "));
        platform::ShowHint(nullptr, QStringLiteral("请选择单位..."));
        platform::ShowInfo(&owner, QStringLiteral("保存成功"));
        platform::ShowDbError(&owner, QStringLiteral("载入数据出现异常->x"));
        platform::ShowError(&owner, QStringLiteral("初始系统失败->y"));
        const QList<platform::ShownMessage> shown = TestHooks::messages();
        QCOMPARE(shown.size(), 5);
        QCOMPARE(shown[0].caption, QStringLiteral("提示"));
        QCOMPARE(shown[0].icon, Icon::Warning);
        QCOMPARE(shown[0].text, QStringLiteral(" 密码输入错误... "));   // blanks kept
        QCOMPARE(shown[0].owner.data(), &owner);
        QCOMPARE(shown[1].caption, QStringLiteral("提示信息"));
        QVERIFY(shown[1].owner.isNull());
        QCOMPARE(shown[2].caption, QStringLiteral("信息"));
        QCOMPARE(shown[2].icon, Icon::Information);
        QCOMPARE(shown[3].caption, QStringLiteral("异常信息"));
        QCOMPARE(shown[3].icon, Icon::Warning);
        QCOMPARE(shown[4].caption, QStringLiteral("错误信息"));
        QCOMPARE(shown[4].icon, Icon::Error);
        for (const auto &m : shown)
            QCOMPARE(m.buttons, platform::Buttons::Ok);
    }

    void confirmationsProceedUnlessNo()
    {
        TestHooks::queueAnswer(Answer::No);
        QVERIFY(!platform::Confirm(nullptr, QStringLiteral("确定删除吗?")));
        QVERIFY(platform::Confirm(nullptr, QStringLiteral("确定删除吗?"))); // nothing queued: Yes
        const platform::ShownMessage last = TestHooks::lastMessage();
        QCOMPARE(last.caption, QStringLiteral("提示信息"));
        QCOMPARE(last.icon, Icon::Question);
        QCOMPARE(last.buttons, platform::Buttons::YesNo);
        QCOMPARE(last.answer, Answer::Yes);
    }

    void realQuestionBoxShowsChineseButtons()
    {
        TestHooks::uninstall();
        QWidget owner;
        QStringList buttonTexts;
        QString caption;
        QWidget *parent = nullptr;
        // Answers the box from a timer, so the test never waits on it.
        auto answer = [&](const QString &press) {
            auto *timer = new QTimer(this);
            connect(timer, &QTimer::timeout, this, [&, timer, press] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                if (!box)
                    return;
                timer->deleteLater();
                caption = box->windowTitle();
                parent = box->parentWidget();
                buttonTexts.clear();
                QAbstractButton *target = nullptr;
                for (QAbstractButton *b : box->buttons()) {
                    buttonTexts << b->text();
                    if (b->text() == press)
                        target = b;
                }
                if (target)
                    target->click();
                else
                    box->close();
            });
            timer->start(10);
        };
        answer(QStringLiteral("否"));
        QCOMPARE(platform::MessageBox(&owner, "删除?", "提示信息", Icon::Question,
                                      platform::Buttons::YesNo),
                 Answer::No);
        buttonTexts.sort();
        QCOMPARE(buttonTexts, QStringList({QStringLiteral("否"), QStringLiteral("是")}));
        QCOMPARE(caption, QStringLiteral("提示信息"));
        QCOMPARE(parent, &owner);
        answer(QStringLiteral("是"));
        QCOMPARE(platform::MessageBox(&owner, "删除?", "提示信息", Icon::Question,
                                      platform::Buttons::YesNo),
                 Answer::Yes);
        answer(QString()); // closed without a button: never taken as Yes
        QCOMPARE(platform::MessageBox(&owner, "删除?", "提示信息", Icon::Question,
                                      platform::Buttons::YesNo),
                 Answer::No);
        answer(QStringLiteral("确定"));
        QCOMPARE(platform::MessageBox(&owner, "好", "信息", Icon::Information), Answer::Ok);
        QCOMPARE(buttonTexts, QStringList({QStringLiteral("确定")}));
    }

    void generalErrorDisplayAppendsFullStop()
    {
        QCOMPARE(platform::ExceptionText("没有选择导入的文件"), QStringLiteral("没有选择导入的文件."));
        QCOMPARE(platform::ExceptionText("file missing"), QStringLiteral("file missing."));
        QCOMPARE(platform::ExceptionText("done."), QStringLiteral("done."));
        QCOMPARE(platform::ExceptionText("stop!"), QStringLiteral("stop!"));
        QCOMPARE(platform::ExceptionText("trailing "), QStringLiteral("trailing "));
        QCOMPARE(platform::ExceptionText("a-"), QStringLiteral("a-"));       // '-' sorts before '.'
        QCOMPARE(platform::ExceptionText("a/"), QStringLiteral("a/."));      // '/' sorts after it
        QCOMPARE(platform::ExceptionText("未搜索到..."), QStringLiteral("未搜索到..."));
        QCOMPARE(platform::ExceptionText(QString()), QString());

        platform::ShowException(QStringLiteral("没有选择导入的文件"));
        const platform::ShownMessage m = TestHooks::lastMessage();
        QCOMPARE(m.caption, QStringLiteral("Tavrin系统"));
        QCOMPARE(m.icon, Icon::Error);
        QCOMPARE(m.text, QStringLiteral("没有选择导入的文件."));
    }

    void exceptionInHandlerEndsOnlyThatAction()
    {
        FailingWidget widget;
        QEvent failing(FailingWidget::FailEvent);
        QCoreApplication::sendEvent(&widget, &failing);
        QCOMPARE(TestHooks::messageCount(), 1);
        QCOMPARE(TestHooks::lastMessage().caption, QStringLiteral("Tavrin系统"));
        QCOMPARE(TestHooks::lastMessage().icon, Icon::Error);
        QCOMPARE(TestHooks::lastMessage().text, QStringLiteral("表 post 不存在."));

        // Posted events and clicks reach the display too, and the program goes on afterwards.
        QCoreApplication::postEvent(&widget, new QEvent(FailingWidget::FailEvent));
        QCoreApplication::processEvents();
        QCOMPARE(widget.handled, 2);
        QCOMPARE(TestHooks::messageCount(), 2);

        QPushButton button("导出");
        button.resize(80, 24);
        int clicks = 0;
        connect(&button, &QPushButton::clicked, this, [&clicks] {
            if (++clicks == 1)
                throw std::runtime_error("Excel 未安装");
        });
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(TestHooks::messageCount(), 3);
        QCOMPARE(TestHooks::lastMessage().text, QStringLiteral("Excel 未安装."));
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(clicks, 2);
        QCOMPARE(TestHooks::messageCount(), 3);
    }

    void aHandlerThatFailsEndsAtItsSlot()
    {
        // A signal sent from code, not from an event: the failure must not reach the sender.
        struct Receiver : QObject {
            QList<int> seen;
            void pick(int index)
            {
                seen << index;
                if (index == 1)
                    throw std::runtime_error("表 post 不存在");
            }
            void plain() { seen << -1; }
        };
        QComboBox box;
        box.addItems({"甲", "乙", "丙"});
        Receiver receiver;
        platform::ConnectAction(&box, &QComboBox::currentIndexChanged, &receiver, &Receiver::pick);
        platform::ConnectAction(&box, &QComboBox::currentIndexChanged, &receiver, &Receiver::plain);
        box.setCurrentIndex(1);
        QCOMPARE(receiver.seen, QList<int>({1, -1})); // the next handler still runs
        QCOMPARE(TestHooks::messageCount(), 1);
        QCOMPARE(TestHooks::lastMessage().icon, Icon::Error);
        QCOMPARE(TestHooks::lastMessage().text, QStringLiteral("表 post 不存在."));
        box.setCurrentIndex(2);
        QCOMPARE(receiver.seen, QList<int>({1, -1, 2, -1}));
        QCOMPARE(TestHooks::messageCount(), 1);
        QVERIFY(platform::RunAction([] {}));
        QVERIFY(!platform::RunAction([] { throw 7; }));
        QCOMPARE(TestHooks::lastMessage().text, QStringLiteral("未知错误."));
    }

    void fileDialogsTakeQueuedNames()
    {
        QCOMPARE(platform::QtNameFilters("Excel文件(*.Xls)|*.xls"),
                 QStringLiteral("Excel文件(*.Xls) (*.xls)"));
        QCOMPARE(platform::QtNameFilters("Excel文件|*.xls;*.xlsx|Wps文件(*.Et)|*.et"),
                 QStringLiteral("Excel文件 (*.xls *.xlsx);;Wps文件(*.Et) (*.et)"));
        QCOMPARE(platform::QtNameFilters(QString()), QString());

        QWidget owner;
        platform::FileDialogRequest request;
        request.title = QStringLiteral("请选择输出文件名");
        request.defaultExt = QStringLiteral("xls");
        request.filter = QStringLiteral("Excel文件(*.Xls)|*.xls");
        TestHooks::queueFileName(QStringLiteral("/tmp/订单.xls"));
        QCOMPARE(platform::SaveFileName(&owner, request), QStringLiteral("/tmp/订单.xls"));
        QCOMPARE(platform::OpenFileName(nullptr, request), QString()); // none queued: cancelled
        const auto dialogs = TestHooks::fileDialogs();
        QCOMPARE(dialogs.size(), 2);
        QVERIFY(dialogs[0].save);
        QCOMPARE(dialogs[0].owner.data(), &owner);
        QCOMPARE(dialogs[0].request.title, QStringLiteral("请选择输出文件名"));
        QCOMPARE(dialogs[0].request.filter, QStringLiteral("Excel文件(*.Xls)|*.xls"));
        QVERIFY(!dialogs[1].save);
        QVERIFY(dialogs[1].answer.isEmpty());
    }

    // Qt's own texts are Chinese although this test runs under LC_ALL=C.
    void standardDialogsSpeakChinese()
    {
        QMessageBox box(QMessageBox::Question, "t", "x", QMessageBox::Save | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("取消"));
        QCOMPARE(box.button(QMessageBox::Save)->text(), QStringLiteral("保存"));

        platform::FileDialogRequest request;
        request.filter = QStringLiteral("Excel文件(*.Xls)|*.xls");
        const auto dialog = platform::MakeFileDialog(nullptr, request, true);
        const auto *buttons = dialog->findChild<QDialogButtonBox *>();
        QVERIFY(buttons);
        QStringList texts;
        for (const QAbstractButton *b : buttons->buttons())
            texts << b->text();
        QVERIFY2(texts.contains(QStringLiteral("保存(&S)")) && texts.contains(QStringLiteral("取消")),
                 qPrintable(texts.join(',')));
        const auto *lookIn = dialog->findChild<QLabel *>(QStringLiteral("lookInLabel"));
        QVERIFY(lookIn);
        QVERIFY2(!lookIn->text().contains("Look"), qPrintable(lookIn->text()));

        QLineEdit edit;
        std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        QStringList actions;
        for (const QAction *a : menu->actions())
            actions << a->text();
        QVERIFY2(actions.join(',').contains(QStringLiteral("粘贴")), qPrintable(actions.join(',')));
    }

    // "Excel文件(*.Xls)" is shown as the program writes it, not followed by "(*.xls)" once more.
    void filtersShowTheirDescriptionOnce()
    {
        platform::FileDialogRequest request;
        request.filter = QStringLiteral("Excel文件(*.Xls)|*.xls|Excel 2007文件(*.Xlsx)|*.xlsx");
        const auto dialog = platform::MakeFileDialog(nullptr, request, false);
        const auto *types = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
        QVERIFY(types);
        QCOMPARE(types->count(), 2);
        QCOMPARE(types->itemText(0), QStringLiteral("Excel文件(*.Xls)"));
        QCOMPARE(types->itemText(1), QStringLiteral("Excel 2007文件(*.Xlsx)"));
    }

    void aSavedNameGetsTheExtensionOfTheChosenFilter()
    {
        const QString filter = QStringLiteral("Excel文件(*.Xls)|*.xls|Excel 2007文件(*.Xlsx)|*.xlsx");
        QCOMPARE(platform::SavedFileName("/d/订单", filter, 1, "xls"), QStringLiteral("/d/订单.xlsx"));
        QCOMPARE(platform::SavedFileName("/d/订单", filter, 0, "xls"), QStringLiteral("/d/订单.xls"));
        QCOMPARE(platform::SavedFileName("/d/订单.", filter, 1, "xls"), QStringLiteral("/d/订单.xlsx"));
        // an extension of one of the entries is kept, whichever entry is chosen
        QCOMPARE(platform::SavedFileName("/d/a.xls", filter, 1, "xls"), QStringLiteral("/d/a.xls"));
        QCOMPARE(platform::SavedFileName("/d/a.XLSX", filter, 0, "xls"), QStringLiteral("/d/a.XLSX"));
        // any other full stop is part of the name
        QCOMPARE(platform::SavedFileName("/d/《A.B厂》订单", filter, 1, "xls"),
                 QStringLiteral("/d/《A.B厂》订单.xlsx"));
        QCOMPARE(platform::SavedFileName("/d.v2/a", filter, 0, "xls"), QStringLiteral("/d.v2/a.xls"));
        // no entry chosen, or one naming no extension: the default extension
        QCOMPARE(platform::SavedFileName("/d/a", filter, -1, "xls"), QStringLiteral("/d/a.xls"));
        QCOMPARE(platform::SavedFileName("/d/a", "所有文件|*.*", 0, "txt"), QStringLiteral("/d/a.txt"));
        QCOMPARE(platform::SavedFileName("/d/a.dat", "所有文件|*.*", 0, "txt"), QStringLiteral("/d/a.dat"));
        QCOMPARE(platform::SavedFileName(QString(), filter, 1, "xls"), QString());
    }

    // The real save dialog settles the name before it asks about replacing, so the question (in
    // Chinese) is about the file that would be written.
    void theSaveDialogAsksAboutTheFileItWillWrite()
    {
        QTemporaryDir tmp;
        QFile existing(tmp.filePath("订单.xlsx"));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.close();
        platform::FileDialogRequest request;
        request.filter = QStringLiteral("Excel文件(*.Xls)|*.xls|Excel 2007文件(*.Xlsx)|*.xlsx");
        request.defaultExt = QStringLiteral("xls");
        request.fileName = tmp.filePath("x");
        request.overwritePrompt = true;
        const auto dialog = platform::MakeFileDialog(nullptr, request, true);
        dialog->selectNameFilter(dialog->nameFilters().at(1));
        dialog->show();
        auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(edit);
        // the clerk types into the name field
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        edit->setFocus();
        QVERIFY(edit->hasFocus());
        edit->setText(QStringLiteral("订单"));
        QString question;
        QTimer answerer;
        QObject::connect(&answerer, &QTimer::timeout, [&question] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible()) {
                    question = box->text();
                    box->button(QMessageBox::No)->click();
                }
        });
        answerer.start(20);
        QMetaObject::invokeMethod(dialog.get(), "accept");
        QVERIFY2(question.contains(QStringLiteral("订单.xlsx")) && question.contains(QStringLiteral("替换")),
                 qPrintable(question));
        QVERIFY(dialog->isVisible()); // not replaced: the dialog stays
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        edit->setFocus();
        edit->setText(QStringLiteral("新订单"));
        QMetaObject::invokeMethod(dialog.get(), "accept");
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(dialog->selectedFiles(), QStringList(tmp.filePath("新订单.xlsx")));
    }

    void eachPurposeOpensInTheFolderLastUsedForIt()
    {
        QTemporaryDir a;
        QTemporaryDir b;
        platform::FileDialogRequest request;
        request.filter = QStringLiteral("Excel文件(*.Xls)|*.xls");
        request.defaultExt = QStringLiteral("xls");
        request.purpose = QStringLiteral("orderExport");
        platform::FileDialogRequest other = request;
        other.purpose = QStringLiteral("gridExport");

        TestHooks::queueFileName(a.filePath("one.xls"));
        QCOMPARE(platform::SaveFileName(nullptr, request), a.filePath("one.xls"));
        TestHooks::queueFileName(b.filePath("two.xls"));
        QCOMPARE(platform::SaveFileName(nullptr, other), b.filePath("two.xls"));
        TestHooks::queueFileName(QString()); // cancelled: remembers nothing
        platform::SaveFileName(nullptr, request);
        platform::SaveFileName(nullptr, request);
        const auto shown = TestHooks::fileDialogs();
        QCOMPARE(shown.size(), 4);
        QCOMPARE(shown[3].folder, a.path());
        QCOMPARE(platform::MakeFileDialog(nullptr, request, true)->directory().absolutePath(), a.path());
        QCOMPARE(platform::MakeFileDialog(nullptr, other, true)->directory().absolutePath(), b.path());

        // a name proposed with a folder opens there; a folder that went, or no purpose: the home folder
        platform::FileDialogRequest proposed = request;
        proposed.fileName = b.filePath("x.xls");
        QCOMPARE(platform::StartFolder(proposed), b.path());
        platform::FileDialogRequest unnamed = request;
        unnamed.purpose.clear();
        QCOMPARE(platform::StartFolder(unnamed), QDir::homePath());
        const QString gone = a.path();
        a.remove();
        QCOMPARE(platform::StartFolder(request), QDir::homePath());
        QVERIFY(!gone.isEmpty());
    }

    void modalFormsAreFreedAfterClosing()
    {
        int destroyed = 0;
        QPointer<QDialog> seen;
        TestHooks::queueForm([&seen](QDialog *form) {
            seen = form;
            QVERIFY(form->isVisible());
            form->accept();
        });
        QCOMPARE(platform::ShowModalForm<TwoButtonForm>(&destroyed), int(QDialog::Accepted));
        QCOMPARE(destroyed, 1);
        QVERIFY(seen.isNull());

        // Nothing queued: shown, recorded and closed as cancelled.
        QCOMPARE(platform::ShowModalForm<TwoButtonForm>(&destroyed), int(QDialog::Rejected));
        QCOMPARE(destroyed, 2);
        const auto forms = TestHooks::forms();
        QCOMPARE(forms.size(), 2);
        QCOMPARE(forms[1].title, QStringLiteral("表单"));
        QCOMPARE(forms[1].result, int(QDialog::Rejected));
    }

    void beepIsRecorded()
    {
        platform::Beep(1200, 100);
        QCOMPARE(TestHooks::tones().size(), 1);
        QCOMPARE(TestHooks::tones()[0].frequencyHz, 1200);
        QCOMPARE(TestHooks::tones()[0].durationMs, 100);
    }

    void chineseDrawsInSimplifiedFaces()
    {
        const QString text = QStringLiteral("系统登陆 处理年度 刊期");
        QCOMPARE(familiesDrawing(text, QFont(QStringLiteral("宋体"), 9)),
                 QStringList({QStringLiteral("Noto Serif CJK SC")}));
        QCOMPARE(familiesDrawing(text, QFont(QStringLiteral("黑体"), 9)),
                 QStringList({QStringLiteral("Noto Sans CJK SC")}));
        QCOMPARE(familiesDrawing(text, QFont(QStringLiteral("幼圆"), 9)),
                 QStringList({QStringLiteral("Noto Sans CJK SC")}));
        // The default font, which has no Chinese of its own, falls back to an SC face.
        for (const QString &family : familiesDrawing(text, QApplication::font()))
            QVERIFY2(!family.contains("JP") && !family.contains("KR") && !family.contains("TC"),
                     qPrintable(family));
        const QStringList mixed = familiesDrawing(QStringLiteral("代号 1-9 名称"), QApplication::font());
        QVERIFY2(mixed.contains(QStringLiteral("Noto Sans CJK SC"))
                     || mixed.contains(QStringLiteral("Noto Serif CJK SC")),
                 qPrintable(mixed.join(',')));
    }

    void workAreaLiesOnTheScreen()
    {
        const QRect area = platform::ScreenWorkArea();
        QVERIFY(area.isValid());
        QVERIFY(QGuiApplication::primaryScreen()->geometry().contains(area));
    }

    // In every window a focused push or tool button answers Enter (and the keypad's Enter) with one
    // click, before any default button of the dialog; other controls keep their own Enter.
    void aFocusedButtonAnswersEnter()
    {
        QDialog dialog;
        auto *focusedButton = new QPushButton(QStringLiteral("确定"), &dialog);
        focusedButton->setAutoDefault(false);
        auto *defaultButton = new QPushButton(QStringLiteral("取消"), &dialog);
        defaultButton->setDefault(true);
        auto *tick = new QCheckBox(QStringLiteral("模糊查询"), &dialog);
        tick->move(0, 40);
        int clicks = 0;
        int defaultClicks = 0;
        connect(focusedButton, &QPushButton::clicked, [&clicks] { ++clicks; });
        connect(defaultButton, &QPushButton::clicked, [&defaultClicks] { ++defaultClicks; });
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        focusedButton->setFocus();
        QTest::keyClick(focusedButton, Qt::Key_Return);
        QTest::keyClick(focusedButton, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(clicks, 2);
        QCOMPARE(defaultClicks, 0);
        // With a modifier Enter is not a click.
        QTest::keyClick(focusedButton, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(clicks, 2);
        // A disabled button is no target; a check box keeps its own keys.
        tick->setFocus();
        QTest::keyClick(tick, Qt::Key_Return);
        QVERIFY(!tick->isChecked());
    }

    void secondStartRaisesTheFirst()
    {
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TMPDIR", tmp.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        const QString key = QStringLiteral("probe");
        auto start = [&](QProcess &p) {
            p.setProcessEnvironment(env);
            p.start(QStringLiteral(INSTANCE_PROBE), {key});
            QVERIFY(p.waitForStarted());
        };

        // A later start brings `running` forward and ends at once, never a copy of its own.
        auto laterStartRaises = [&](QProcess &running) {
            QProcess later;
            start(later);
            QVERIFY(later.waitForFinished(30000));
            QCOMPARE(later.exitStatus(), QProcess::NormalExit);
            QCOMPARE(later.exitCode(), 0);
            QVERIFY(later.readAllStandardOutput().isEmpty());
            QVERIFY(waitForLine(running, "raised restored"));
            QVERIFY(running.waitForFinished(30000));
        };

        QProcess first;
        start(first);
        QVERIFY(waitForLine(first, "ready"));
        laterStartRaises(first);
        if (QTest::currentTestFailed())
            return;

        // A copy that crashed leaves its lock file and socket behind; the next start takes over.
        QProcess crashed;
        start(crashed);
        QVERIFY(waitForLine(crashed, "ready"));
        crashed.kill();
        QVERIFY(crashed.waitForFinished(30000));
        QCOMPARE(QDir(tmp.path()).entryList({"probe-*.socket"}, QDir::System).size(), 1);
        QCOMPARE(QDir(tmp.path()).entryList({"probe-*.lock"}, QDir::Files).size(), 1);
        QProcess successor;
        start(successor);
        QVERIFY(waitForLine(successor, "ready"));
        laterStartRaises(successor);
    }
};

TAVRIN_TEST_MAIN(TestPlatform)
#include "tst_platform.moc"
