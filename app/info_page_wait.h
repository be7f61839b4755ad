#pragma once

#include "app/window_model.h"
#include "platform/user_interaction.h"

#include <QObject>
#include <QTimer>

#include <chrono>

namespace app {

/// Form_Activate's info page: after the window first appears the info page
/// stays for up to `duration`, then page 0 is selected with one beep, unless
/// the user selected another page first; then nothing more happens.
///
/// The wait is one single-shot timer on the event loop, so the window stays
/// usable and costs no processor time meanwhile; Qt's timers run on a
/// monotonic clock, so neither midnight nor a change of the system time
/// shortens or stretches it. Make the window the parent: the timer then dies
/// with the window and never fires into a closed one.
class InfoPageWait : public QObject {
    Q_OBJECT
public:
    InfoPageWait(WindowModel &window, platform::UserInteraction &user,
                 std::chrono::milliseconds duration = std::chrono::seconds(10),
                 QObject *parent = nullptr);

    /// Form_Activate: selects the info page and starts the wait. Only the
    /// first call counts; later activations of the window do nothing.
    void Start();
    /// To be called from SSTab1_Click with the newly selected page: any page
    /// but the info page ends the wait.
    void PageChanged(int page);
    /// Ends the wait without touching the window ("Ende", closing).
    void Stop();
    /// True while the wait runs.
    bool IsWaiting() const;

signals:
    /// The wait is over, whether by time, by the user or by Stop().
    void finished();

private:
    void TimeUp();

    WindowModel &m_window;
    platform::UserInteraction &m_user;
    QTimer m_timer;
    bool m_started = false;
};

} // namespace app
