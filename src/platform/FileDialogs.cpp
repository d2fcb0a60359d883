#include "platform/FileDialogs.h"

#include "platform/TestHooks.h"
#include "platform/UserSettings.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QStringList>

namespace platform {

namespace {

const QString kFolderKey = QStringLiteral("folders/");

// The patterns of each entry of a "描述|*.ext|..." filter, trimmed.
QList<QStringList> filterPatterns(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QList<QStringList> entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &p : patterns)
            p = p.trimmed();
        entries << patterns;
    }
    return entries;
}

// The extension a pattern names ("*.xlsx" → "xlsx"); empty for "*", "*.*" and other wildcards.
QString patternExtension(const QString &pattern)
{
    if (!pattern.startsWith(QStringLiteral("*.")))
        return QString();
    const QString ext = pattern.mid(2);
    if (ext.isEmpty() || ext.contains(QLatin1Char('*')) || ext.contains(QLatin1Char('?')))
        return QString();
    return ext.toLower();
}

bool acceptsAnyName(const QString &pattern)
{
    return pattern == QStringLiteral("*") || pattern == QStringLiteral("*.*");
}

// A save dialog that settles the extension of the typed name before the dialog checks for an
// existing file, so that the question about replacing a file is asked about the file written.
class SaveDialog : public QFileDialog {
public:
    SaveDialog(QWidget *owner, const FileDialogRequest &request)
        : QFileDialog(owner, request.title), m_filter(request.filter), m_defaultExt(request.defaultExt)
    {
    }

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (files.size() == 1 && !files.constFirst().isEmpty() && !QFileInfo(files.constFirst()).isDir()) {
            const QString settled = SavedFileName(files.constFirst(), m_filter, ChosenFilterIndex(*this), m_defaultExt);
            const QFileInfo settledFile(settled);
            if (settled != files.constFirst())
                if (auto *edit = findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                    edit->setText(settledFile.absolutePath() == directory().absolutePath() ? settledFile.fileName()
                                                                                             : settled);
        }
        QFileDialog::accept();
    }

private:
    QString m_filter;
    QString m_defaultExt;
};

QString fileDialog(QWidget *owner, const FileDialogRequest &request, bool save)
{
    if (TestHooks::installed()) {
        ShownFileDialog shown;
        shown.save = save;
        shown.request = request;
        shown.owner = owner;
        shown.folder = StartFolder(request);
        const QString chosen = TestHooks::takeFileName(shown, [&](const QString &name, int filterIndex) {
            return save ? SavedFileName(name, request.filter, filterIndex, request.defaultExt) : name;
        });
        RememberFolder(request.purpose, chosen);
        return chosen;
    }
    const std::unique_ptr<QFileDialog> dialog = MakeFileDialog(owner, request, save);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return QString();
    QString chosen = dialog->selectedFiles().constFirst();
    if (save)
        chosen = SavedFileName(chosen, request.filter, ChosenFilterIndex(*dialog), request.defaultExt);
    RememberFolder(request.purpose, chosen);
    return chosen;
}

} // namespace

QString QtNameFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    const QList<QStringList> entries = filterPatterns(filter);
    QStringList filters;
    for (qsizetype i = 0; i < entries.size(); ++i)
        filters << parts.at(2 * i) + QStringLiteral(" (") + entries.at(i).join(QLatin1Char(' ')) + QLatin1Char(')');
    return filters.join(QStringLiteral(";;"));
}

QString SavedFileName(const QString &name, const QString &filter, int filterIndex, const QString &defaultExt)
{
    if (name.isEmpty())
        return name;
    const QList<QStringList> entries = filterPatterns(filter);
    const QString suffix = QFileInfo(name).suffix().toLower();
    if (!suffix.isEmpty()) {
        if (suffix == defaultExt.toLower())
            return name;
        for (const QStringList &patterns : entries)
            for (const QString &pattern : patterns)
                if (acceptsAnyName(pattern) || patternExtension(pattern) == suffix)
                    return name;
    }
    QString ext;
    if (filterIndex >= 0 && filterIndex < entries.size())
        for (const QString &pattern : entries.at(filterIndex))
            if (ext.isEmpty())
                ext = patternExtension(pattern);
    if (ext.isEmpty())
        ext = defaultExt;
    if (ext.isEmpty())
        return name;
    return name.endsWith(QLatin1Char('.')) ? name + ext : name + QLatin1Char('.') + ext;
}

QString StartFolder(const FileDialogRequest &request)
{
    if (!request.fileName.isEmpty()) {
        const QFileInfo proposed(request.fileName);
        if (proposed.path() != QStringLiteral(".") && proposed.dir().exists())
            return proposed.absolutePath();
    }
    if (!request.purpose.isEmpty()) {
        const QString remembered = UserSettings()->value(kFolderKey + request.purpose).toString();
        if (!remembered.isEmpty() && QFileInfo(remembered).isDir())
            return remembered;
    }
    return QDir::homePath();
}

void RememberFolder(const QString &purpose, const QString &chosenFile)
{
    if (purpose.isEmpty() || chosenFile.isEmpty())
        return;
    UserSettings()->setValue(kFolderKey + purpose, QFileInfo(chosenFile).absolutePath());
}

int ChosenFilterIndex(const QFileDialog &dialog)
{
    // With the details hidden, selectedNameFilter() gives the shown text, not an entry of nameFilters().
    if (const auto *types = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo")))
        return types->currentIndex();
    return int(dialog.nameFilters().indexOf(dialog.selectedNameFilter()));
}

std::unique_ptr<QFileDialog> MakeFileDialog(QWidget *owner, const FileDialogRequest &request, bool save)
{
    std::unique_ptr<QFileDialog> dialog = save ? std::make_unique<SaveDialog>(owner, request)
                                               : std::make_unique<QFileDialog>(owner, request.title);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    // The program's descriptions already name their patterns ("Excel文件(*.Xls)").
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save || !request.fileMustExist ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    // A save dialog settles the extension itself, after the filter the clerk chose.
    if (!save)
        dialog->setDefaultSuffix(request.defaultExt);
    const QString filters = QtNameFilters(request.filter);
    if (!filters.isEmpty())
        dialog->setNameFilters(filters.split(QStringLiteral(";;")));
    dialog->setDirectory(StartFolder(request));
    if (!request.fileName.isEmpty())
        dialog->selectFile(QFileInfo(request.fileName).fileName());
    return dialog;
}

QString OpenFileName(QWidget *owner, const FileDialogRequest &request)
{
    return fileDialog(owner, request, false);
}

QString SaveFileName(QWidget *owner, const FileDialogRequest &request)
{
    return fileDialog(owner, request, true);
}

} // namespace platform
