#include "platform/TestHooks.h"

#include <QCoreApplication>
#include <QDialog>
#include <QQueue>

namespace platform {

namespace {

struct HookState {
    bool installed = false;
    QQueue<Answer> answers;
    QQueue<QPair<QString, int>> fileNames;
    QQueue<std::function<void(QDialog *)>> forms;
    QList<ShownMessage> shownMessages;
    QList<ShownFileDialog> shownFileDialogs;
    QList<ShownForm> shownForms;
    QList<Tone> tones;
};

HookState &state()
{
    static HookState s;
    return s;
}

} // namespace

void TestHooks::install()
{
    clear();
    state().installed = true;
}

void TestHooks::uninstall()
{
    clear();
    state().installed = false;
}

bool TestHooks::installed()
{
    return state().installed;
}

void TestHooks::clear()
{
    HookState &s = state();
    const bool wasInstalled = s.installed;
    s = HookState();
    s.installed = wasInstalled;
}

void TestHooks::queueAnswer(Answer answer)
{
    state().answers.enqueue(answer);
}

void TestHooks::queueFileName(const QString &fileName, int filterIndex)
{
    state().fileNames.enqueue({fileName, filterIndex});
}

void TestHooks::queueForm(std::function<void(QDialog *)> handler)
{
    state().forms.enqueue(std::move(handler));
}

QList<ShownMessage> TestHooks::messages()
{
    return state().shownMessages;
}

ShownMessage TestHooks::lastMessage()
{
    const auto &list = state().shownMessages;
    return list.isEmpty() ? ShownMessage() : list.constLast();
}

int TestHooks::messageCount()
{
    return int(state().shownMessages.size());
}

QList<ShownFileDialog> TestHooks::fileDialogs()
{
    return state().shownFileDialogs;
}

QList<ShownForm> TestHooks::forms()
{
    return state().shownForms;
}

QList<Tone> TestHooks::tones()
{
    return state().tones;
}

Answer TestHooks::takeAnswer(const ShownMessage &shown)
{
    HookState &s = state();
    ShownMessage recorded = shown;
    if (shown.buttons == Buttons::Ok)
        recorded.answer = Answer::Ok;
    else
        recorded.answer = s.answers.isEmpty() ? Answer::Yes : s.answers.dequeue();
    s.shownMessages.append(recorded);
    return recorded.answer;
}

QString TestHooks::takeFileName(const ShownFileDialog &shown,
                                const std::function<QString(const QString &, int)> &settle)
{
    HookState &s = state();
    ShownFileDialog recorded = shown;
    if (!s.fileNames.isEmpty()) {
        const QPair<QString, int> queued = s.fileNames.dequeue();
        recorded.filterIndex = queued.second;
        recorded.answer = settle(queued.first, queued.second);
    }
    s.shownFileDialogs.append(recorded);
    return recorded.answer;
}

int TestHooks::runForm(QDialog *form)
{
    std::function<void(QDialog *)> handler;
    if (!state().forms.isEmpty())
        handler = state().forms.dequeue();
    // Recorded when opened, so forms opened by the handler come after this one.
    const qsizetype index = state().shownForms.size();
    state().shownForms.append(
        ShownForm{QString::fromLatin1(form->metaObject()->className()), QString(), 0});
    form->setResult(QDialog::Rejected);
    form->show();
    QCoreApplication::processEvents();
    state().shownForms.last().title = form->windowTitle();
    if (handler)
        handler(form);
    if (form->isVisible())
        form->reject();
    if (index < state().shownForms.size()) // unless the handler cleared the records
        state().shownForms[index].result = form->result();
    return form->result();
}

void TestHooks::recordTone(int frequencyHz, int durationMs)
{
    state().tones.append(Tone{frequencyHz, durationMs});
}

} // namespace platform
