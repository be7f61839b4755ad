#include "platform/widgets/desktop_interaction.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace platform {

namespace {

QString RunFileDialog(QWidget *parent, const FileDialogRequest &request, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, request.title);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setNameFilter(QtFileFilter(request.filter));
    // The dialog opens in the folder part of the preset name, with the bare
    // name in its name field.
    const QFileInfo preset(request.fileName);
    if (request.fileName.contains(u'/') || request.fileName.contains(u'\\'))
        dialog.setDirectory(preset.absolutePath());
    dialog.selectFile(preset.fileName());
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : QDir::toNativeSeparators(chosen.first());
}

} // namespace

QString DesktopInteraction::ChooseFileToOpen(const FileDialogRequest &request)
{
    return RunFileDialog(m_parent, request, QFileDialog::AcceptOpen);
}

QString DesktopInteraction::ChooseFileToSave(const FileDialogRequest &request)
{
    return RunFileDialog(m_parent, request, QFileDialog::AcceptSave);
}

void DesktopInteraction::ShowMessage(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, m_parent);
    box.exec();
}

void DesktopInteraction::Beep()
{
    QApplication::beep();
}

} // namespace platform
