#include "search/SearchMenu.h"

#include "platform/shell/Execute.h"
#include "platform/system/Module.h"

namespace pellidor {

namespace {

// An address inside the library, for the file it was loaded from.
const char g_moduleAnchor = 0;

} // namespace

HRESULT CSearchMenu::QueryContextMenu(HMENU, UINT, UINT, UINT, UINT)
{
    return S_OK;
}

HRESULT CSearchMenu::InvokeCommand(CMINVOKECOMMANDINFO*)
{
    platform::shell::ShellExecute(nullptr, nullptr, kRunnerProgram, RunnerParameters(), std::string(), SW_SHOW);
    return S_OK;
}

HRESULT CSearchMenu::GetCommandString(UINT_PTR, UINT, UINT*, char*, UINT)
{
    return E_NOTIMPL;
}

std::string CSearchMenu::RunnerParameters()
{
    return platform::system::ModulePathOf(&g_moduleAnchor) + ',' + kEntryName;
}

} // namespace pellidor
