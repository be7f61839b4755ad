#pragma once
// Everything that asks or tells the user: file dialogs, message boxes and the
// beep. The window uses the desktop version; tests use the fake.

#include <QString>
#include <QStringList>

#include <deque>
#include <vector>

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

/// Records every request and answers dialogs from a queue (empty = cancel).
class FakeUserInteraction : public UserInteraction {
public:
    struct Message {
        QString text;
        QString title;
    };

    std::deque<QString> openAnswers;
    std::deque<QString> saveAnswers;
    std::vector<FileDialogRequest> openRequests;
    std::vector<FileDialogRequest> saveRequests;
    std::vector<Message> messages;
    int beeps = 0;

    QString ChooseFileToOpen(const FileDialogRequest &request) override
    {
        openRequests.push_back(request);
        return Next(openAnswers);
    }
    QString ChooseFileToSave(const FileDialogRequest &request) override
    {
        saveRequests.push_back(request);
        return Next(saveAnswers);
    }
    void ShowMessage(const QString &text, const QString &title) override
    {
        messages.push_back({text, title});
    }
    void Beep() override { ++beeps; }

private:
    static QString Next(std::deque<QString> &answers)
    {
        if (answers.empty())
            return {};
        QString answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

/// "Beschreibung|Muster" becomes Qt's "Beschreibung (Muster)"; several
/// patterns separated by ";" become blank-separated.
QString QtFileFilter(const QString &filter);

} // namespace platform
