#include "app/info_page_wait.h"

namespace app {

InfoPageWait::InfoPageWait(WindowModel &window, platform::UserInteraction &user,
                           std::chrono::milliseconds duration, QObject *parent)
    : QObject(parent), m_window(window), m_user(user)
{
    m_timer.setSingleShot(true);
    // Never turn the page before the full time is up.
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(duration);
    connect(&m_timer, &QTimer::timeout, this, &InfoPageWait::TimeUp);
}

void InfoPageWait::Start()
{
    if (m_started || m_window.IsClosing())
        return;
    m_started = true;
    // Selecting the page runs SSTab1_Click and so PageChanged(InfoPage),
    // which must not count as the user's choice: the timer is not running yet.
    m_window.SetCurrentPage(InfoPage);
    m_timer.start();
}

void InfoPageWait::PageChanged(int page)
{
    if (page != InfoPage && IsWaiting())
        Stop();
}

void InfoPageWait::Stop()
{
    if (!IsWaiting())
        return;
    m_timer.stop();
    emit finished();
}

bool InfoPageWait::IsWaiting() const
{
    return m_timer.isActive();
}

void InfoPageWait::TimeUp()
{
    // The timer is single-shot and already inactive here, so the page change
    // below reaches PageChanged as an ordinary selection and is ignored.
    if (!m_window.IsClosing() && m_window.CurrentPage() == InfoPage) {
        m_window.SetCurrentPage(ParameterPage);
        m_user.Beep();
    }
    emit finished();
}

} // namespace app
