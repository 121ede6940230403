#pragma once
// Dropped-file lists (CF_HDROP): the DROPFILES block that names files for a
// drop, a context-menu handler or the clipboard, and a data object that
// offers one. The block: u32 offset of the file list (20), the drop point
// (0, 0), the non-client flag 0, the wide flag 0, then each path with its
// NUL, and one more NUL that ends the list.

#include "platform/com/ComPtr.h"
#include "platform/com/Memory.h"
#include "platform/com/ShellInterfaces.h"

#include <string>
#include <vector>

namespace platform::shell {

// Null when the memory cannot be had.
com::GlobalPtr BuildDropFiles(const std::vector<std::string>& paths);

// The paths of a narrow block; false when the block is too short, wide, or
// its list does not end inside it. Never reads past `size`.
bool ReadDropFiles(const BYTE* block, std::size_t size, std::vector<std::string>& paths);

// With `index` 0xFFFFFFFF the number of paths; otherwise copies path `index`
// into `buffer` (cut to `bufferSize` - 1 bytes, NUL-terminated) and answers
// its length; a null buffer answers the length alone. 0 for a bad block or
// index.
UINT DragQueryFile(HGLOBAL drop, UINT index, char* buffer, UINT bufferSize);

// A data object that gives a copy of the block for CF_HDROP (content aspect,
// index -1, TYMED_HGLOBAL) and refuses everything else.
com::ComPtr<IDataObject> CreateDropFilesDataObject(const std::vector<std::string>& paths);

} // namespace platform::shell
