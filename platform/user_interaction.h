#pragma once
// Everything that asks or tells the user: file dialogs, message boxes and the
// beep. The window uses the desktop version (platform/widgets); tests use
// the fake in tests/support.

#include <QString>
#include <QStringList>

namespace platform {

/// One use of the common file dialog. `filter` is in the form
/// "Beschreibung|Muster" (one entry); the dialog opens in the folder part of
/// `fileName` with its bare name preset.
struct FileDialogRequest {
    QString filter;
    QString fileName;
    QString title;
};

class UserInteraction {
public:
    virtual ~UserInteraction() = default;
    /// The chosen full path, or an empty text when the user cancelled.
    virtual QString ChooseFileToOpen(const FileDialogRequest &request) = 0;
    /// The chosen full path, or an empty text when the user cancelled.
    virtual QString ChooseFileToSave(const FileDialogRequest &request) = 0;
    /// A modal box with one OK button and no icon.
    virtual void ShowMessage(const QString &text, const QString &title) = 0;
    virtual void Beep() = 0;
};

/// "Beschreibung|Muster" becomes Qt's "Beschreibung (Muster)"; several
/// patterns separated by ";" become blank-separated.
QString QtFileFilter(const QString &filter);

} // namespace platform
