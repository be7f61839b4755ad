#include "app/event_procedures.h"

#include "platform/environment.h"

namespace app {

StartEnvironment SystemStartEnvironment()
{
    return {platform::SettingsFolder(), platform::CurrentFolder(), platform::DefaultAssemblerPath()};
}

void LoadStartValues(WindowModel &, const StartEnvironment &)
{
}

} // namespace app
