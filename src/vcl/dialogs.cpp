#include "vcl/dialogs.h"

#include "vcl/forms.h"
#include "vcl/registry.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace vcl {

std::function<String(const TOpenDialog &)> TOpenDialog::ExecuteHook;

namespace {

std::function<void(TMessageKind, const String &, const String &)> &messageBoxHook()
{
    static std::function<void(TMessageKind, const String &, const String &)> hook;
    return hook;
}

QWidget *activeFormWindow()
{
    return Application->MainForm() ? Application->MainForm()->Window() : nullptr;
}

// "Civ III Save (.SAV)|*.SAV" as a Qt name filter. Saves copied from Windows
// keep any mix of letter case, so on file systems that tell case apart each
// pattern matches its extension in every case.
QStringList qtNameFilters(const String &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const String &pattern : parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            String anyCase;
            for (const QChar c : pattern) {
                if (c.isLetter())
                    anyCase += QStringLiteral("[%1%2]").arg(c.toLower(), c.toUpper());
                else
                    anyCase += c;
            }
            patterns << anyCase;
        }
        filters << QStringLiteral("%1 (%2)").arg(parts.at(i), patterns.join(QLatin1Char(' ')));
    }
    return filters;
}

} // namespace

void TOpenDialog::SetProperty(const String &name, const TValue &value)
{
    if (name == QLatin1String("Filter"))
        Filter = value.toText();
    else if (name == QLatin1String("FileName"))
        FileName = value.toText();
    else if (name == QLatin1String("InitialDir"))
        InitialDir = value.toText();
    else
        TComponent::SetProperty(name, value);
}

bool TOpenDialog::Execute()
{
    String chosen;
    if (ExecuteHook) {
        chosen = ExecuteHook(*this);
    } else {
        QFileDialog dialog(activeFormWindow());
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        // A typed name need not exist: what follows decides what to do with it.
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        dialog.setNameFilters(qtNameFilters(Filter));
        const String folder = hostFolderForDialog(InitialDir);
        if (!folder.isEmpty())
            dialog.setDirectory(folder);
        if (!FileName.isEmpty()) {
            const QFileInfo last(FileName);
            dialog.setDirectory(last.absolutePath());
            dialog.selectFile(last.fileName());
        }
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().constFirst();
    }
    if (chosen.isEmpty())
        return false;
    FileName = chosen;
    return true;
}

void SetMessageBoxHook(std::function<void(TMessageKind, const String &, const String &)> hook)
{
    messageBoxHook() = std::move(hook);
}

void showMessageBox(TMessageKind kind, const String &text)
{
    const String caption = Application->Title();
    if (messageBoxHook()) {
        messageBoxHook()(kind, caption, text);
        return;
    }
    QMessageBox box(kind == TMessageKind::Error ? QMessageBox::Critical : QMessageBox::NoIcon, caption,
                    text, QMessageBox::Ok, activeFormWindow());
    box.exec();
}

void ShowMessage(const String &text)
{
    showMessageBox(TMessageKind::Information, text);
}

} // namespace vcl
