#pragma once

#include "app/window_model.h"
#include "platform/user_interaction.h"

#include <QObject>

#include <chrono>

namespace app {

/// The info page shown after the window first appears: for up to `duration`
/// the info page stays, then page 0 is selected with one beep, unless the
/// user selected another page first.
class InfoPageWait : public QObject {
    Q_OBJECT
public:
    InfoPageWait(WindowModel &window, platform::UserInteraction &user,
                 std::chrono::milliseconds duration = std::chrono::seconds(10),
                 QObject *parent = nullptr);

    /// Form_Activate: selects the info page and starts the wait.
    void Start();
    /// To be called from SSTab1_Click with the newly selected page.
    void PageChanged(int page);
    /// True while the wait runs.
    bool IsWaiting() const;

private:
    WindowModel &m_window;
    platform::UserInteraction &m_user;
    std::chrono::milliseconds m_duration;
};

} // namespace app
