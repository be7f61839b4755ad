#pragma once
// The user for tests: every dialog, message and beep is recorded, and the
// file dialogs answer from queues instead of waiting for a person.

#include "platform/user_interaction.h"

#include <deque>
#include <vector>

namespace platform {

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

} // namespace platform
