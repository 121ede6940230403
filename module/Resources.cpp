#include "module/Resources.h"

#include "platform/ui/Strings.h"

namespace pellidor {

std::string LoadString(UINT id)
{
    return platform::ui::LoadString(kProductResources, id);
}

bool HasString(UINT id)
{
    return platform::ui::HasString(kProductResources, id);
}

platform::ui::MenuPtr LoadMenu(UINT id)
{
    return platform::ui::LoadMenu(kProductResources, id);
}

} // namespace pellidor
