#pragma once
// CSearchMenu: the explorer's Find-menu entry. It adds nothing to a menu;
// choosing the entry starts the Find window in a process of its own,
// "rundll32 <this library>,DoSearch", so that the search never runs inside
// the explorer. Each choice starts another process with its own window.

#include "module/ModuleLock.h"
#include "platform/com/ComObject.h"
#include "platform/com/ShellInterfaces.h"

#include <string>

namespace pellidor {

class CSearchMenu : public platform::com::ComImplements<platform::com::ComObject, IContextMenu> {
public:
    // The program that runs a library's entry, and the entry it runs.
    static constexpr const char* kRunnerProgram = "rundll32";
    static constexpr const char* kEntryName = "DoSearch";

    CSearchMenu() = default;

    // Adds nothing: S_OK.
    HRESULT QueryContextMenu(HMENU menu, UINT position, UINT first, UINT last, UINT flags) override;
    // Starts the search process; S_OK whether it started or not (a failure
    // is not reported). The command is not looked at.
    HRESULT InvokeCommand(CMINVOKECOMMANDINFO* info) override;
    HRESULT GetCommandString(UINT_PTR command, UINT type, UINT* reserved, char* name, UINT size) override;

    // "<full path of the library holding this code>,DoSearch", without
    // quotes: the runner takes the library up to the last comma.
    static std::string RunnerParameters();

protected:
    ~CSearchMenu() override = default;

private:
    ModuleLock lock_;
};

} // namespace pellidor
