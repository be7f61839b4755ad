#include "app/event_procedures.h"

namespace app {

void Label3_Click(WindowModel &, platform::UserInteraction &)
{
}

void Label5_Click(WindowModel &, platform::UserInteraction &)
{
}

} // namespace app
