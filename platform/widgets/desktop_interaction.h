#pragma once

#include "platform/user_interaction.h"

#include <QPointer>
#include <QWidget>

namespace platform {

/// The real dialogs and message boxes, modal to `parent`.
class DesktopInteraction : public UserInteraction {
public:
    explicit DesktopInteraction(QWidget *parent = nullptr) : m_parent(parent) {}

    QString ChooseFileToOpen(const FileDialogRequest &request) override;
    QString ChooseFileToSave(const FileDialogRequest &request) override;
    void ShowMessage(const QString &text, const QString &title) override;
    void Beep() override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace platform
