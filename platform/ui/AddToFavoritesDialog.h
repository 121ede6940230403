#pragma once
// The dialog that adds a favorite: the user confirms a name and picks the
// folder for it, the Favorites folder itself or one of its sub-folders
// (shown as a tree, where a new sub-folder can be made). What the favorite
// is and how it is written are the caller's business.

#include "platform/com/ShellTypes.h"
#include "platform/com/Types.h"

namespace platform::ui {

// Modal over `owner`. `title` (NUL-terminated, `titleSize` bytes) is the
// name offered; `favorites` is the Favorites folder's absolute list. On OK:
// S_OK, the new favorite's full path (the chosen folder, "/", the name) in
// `path` and the name as the user left it in `title`; OK is offered only
// for a name that makes one file in the chosen folder (not empty, no "/",
// not "." or "..") and a path that fits `pathSize` bytes with its NUL. When
// a link is kept at that path's link form (shell::WithLinkExtension), OK
// asks first whether to replace it.
// S_FALSE for Cancel, both buffers unchanged. E_INVALIDARG for a missing
// buffer or a list that names no folder of the file system.
HRESULT DoAddToFavDlg(HWND owner, char* path, UINT pathSize, char* title, UINT titleSize, LPCITEMIDLIST favorites);

} // namespace platform::ui
