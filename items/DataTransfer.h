#pragma once
// The two blocks in which items leave by drag and drop or the clipboard, laid
// out byte for byte as the shell's own (CIDA and DROPFILES), and bounded
// readers for the same blocks when they come back from outside.

#include "namespace/IdList.h"
#include "platform/com/Memory.h"
#include "platform/com/ShellTypes.h"
#include "platform/com/Types.h"
#include "platform/ui/DragDrop.h"

#include <optional>
#include <string>
#include <vector>

namespace pellidor {

// The shell's name of the identifier-list format (CFSTR_SHELLIDLIST) is the
// platform's; its registered clipboard format, registered on first use.
CLIPFORMAT ShellIdListFormat();

// Identifier-list block for one item: u32 count 1, u32 offset of the folder
// list (12), u32 offset of the item list, then both lists with their
// terminators. A null list is written as an empty list (a terminator alone),
// so the block always parses. Null when the memory cannot be had.
platform::com::GlobalPtr BuildIdListBlock(LPCITEMIDLIST folder, LPCITEMIDLIST item);

// Dropped-file block for one path: u32 offset of the file list (20), the drop
// point (0, 0), the non-client flag 0, the wide flag 0, then the path, its NUL
// and the NUL that ends the list. Null when the memory cannot be had.
platform::com::GlobalPtr BuildDropFilesBlock(const std::string& path);

// An identifier-list block as read from outside: its lists, checked, pointing
// into the block.
struct IdListBlock {
    CheckedIdList folder; // the shell's list of the folder the items are in
    std::vector<CheckedIdList> items; // ours, relative to the folder
};

// The block when it holds a count, count + 1 offsets inside the block, and at
// each offset a list that passes CheckIdList inside the block: the folder's
// as the shell's own elements, every item's as ours (so a block of another
// namespace is refused whole). Nothing otherwise; never reads past `size`.
std::optional<IdListBlock> ReadIdListBlock(const BYTE* block, std::size_t size);

// The paths of a narrow dropped-file block; false when the block is too
// short, wide, or its list does not end inside it.
bool ReadDropFilesBlock(const BYTE* block, std::size_t size, std::vector<std::string>* paths);

} // namespace pellidor
