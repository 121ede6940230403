#pragma once
// The folders' views come from the user-interface layer, which the folders
// do not link: the library installs a maker of views while it loads, and a
// folder asked for IShellView asks the maker. Without one (the command-line
// tool) a folder has no view.

#include "platform/com/ComPtr.h"
#include "platform/com/ShellInterfaces.h"

namespace pellidor {

class CCatFolder;
class CShelfFolder;

class IFolderViews {
public:
    // A new view of `folder` with one reference; null when none can be made.
    virtual platform::com::ComPtr<IShellView> MakeCatalogView(CCatFolder& folder) = 0;
    virtual platform::com::ComPtr<IShellView> MakeShelfView(CShelfFolder& folder) = 0;

protected:
    ~IFolderViews() = default;
};

// Not owned; it must outlive every folder (the library sets it once, as it
// loads). Null: no views.
void SetFolderViews(IFolderViews* views);
IFolderViews* FolderViews();

} // namespace pellidor
