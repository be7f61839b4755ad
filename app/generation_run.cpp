#include "app/event_procedures.h"

namespace app {

void Command2_Click(WindowModel &, platform::UserInteraction &)
{
}

} // namespace app
