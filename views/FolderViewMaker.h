#pragma once
// The views the library installs for its folders (namespace/FolderViews.h).

namespace pellidor {

class IFolderViews;

// The one maker of catalog and shelf views.
IFolderViews& TheFolderViews();

} // namespace pellidor
