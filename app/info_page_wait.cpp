#include "app/info_page_wait.h"

namespace app {

InfoPageWait::InfoPageWait(WindowModel &window, platform::UserInteraction &user,
                           std::chrono::milliseconds duration, QObject *parent)
    : QObject(parent), m_window(window), m_user(user), m_duration(duration)
{
}

void InfoPageWait::Start()
{
}

void InfoPageWait::PageChanged(int)
{
}

bool InfoPageWait::IsWaiting() const
{
    return false;
}

} // namespace app
