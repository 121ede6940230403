#pragma once
// The identifier-list elements that belong to the platform's own namespace:
// the Desktop (the empty list), My Computer, junctions of extensions, drives,
// folders placed on the Desktop (the home folder) and file-system items.
// Everything below a junction is the extension's own business.
//
// Element layouts (every element starts with its u16 size, little-endian):
//   root folder  20 bytes: 0x1F, a sort byte (0x0F for My Computer, 0x00 for a
//                junction on the Desktop), the 16 bytes of the class id
//   junction     20 bytes: 0x2E, 0x00, the class id (a junction in My Computer)
//   path         0x2F, an absolute path, its NUL (a drive root in My Computer,
//                a folder on the Desktop)
//   folder, file 0x31 (folder) or 0x32 (file), a name without "/", its NUL
//
// A whole list is one of
//   (empty)                              the Desktop
//   root(My Computer)                    My Computer
//   root(My Computer) path folder* file? a drive and what lies on it
//   root(My Computer) junction any*      a junction in My Computer
//   root(other class) any*               a junction on the Desktop
//   path folder* file?                   a folder on the Desktop
// Lists are byte vectors with their 2-byte terminator.

#include "platform/com/Guid.h"
#include "platform/com/Types.h"

#include <cstddef>
#include <string>
#include <vector>

namespace platform::shell {

constexpr CLSID CLSID_MyComputer = MakeGuid(0x20D04FE0, 0x3AEA, 0x1069, 0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D);

constexpr BYTE kElementRootFolder = 0x1F;
constexpr BYTE kElementJunction = 0x2E;
constexpr BYTE kElementPath = 0x2F;
constexpr BYTE kElementFolder = 0x31;
constexpr BYTE kElementFile = 0x32;
constexpr BYTE kSortMyComputer = 0x0F;
constexpr std::size_t kClassElementSize = 20;

std::vector<BYTE> DesktopIdList();
std::vector<BYTE> MyComputerIdList();
std::vector<BYTE> DesktopJunctionIdList(const CLSID& clsid);
std::vector<BYTE> MyComputerJunctionIdList(const CLSID& clsid);
std::vector<BYTE> DriveIdList(const std::string& root);
std::vector<BYTE> DesktopFolderIdList(const std::string& folder);

// `list` with one more element of a file-system item (or, for the other
// overload, the bytes of any element, its size field included) before the
// terminator.
std::vector<BYTE> AppendFileSystemItem(const std::vector<BYTE>& list, const std::string& name, bool folder);
std::vector<BYTE> AppendElement(const std::vector<BYTE>& list, const BYTE* element, std::size_t size);
// The list without its last element; the Desktop stays the Desktop.
std::vector<BYTE> ParentIdList(const std::vector<BYTE>& list);

// One element of a list, pointing into it.
struct Element {
    BYTE type = 0; // the byte after the size field; 0 for an element of 2 bytes
    // False for the elements below a junction, which only their extension
    // reads.
    bool platform = true;
    const BYTE* bytes = nullptr; // the whole element, size field included
    std::size_t size = 0;
    // The class id of a root-folder or junction element.
    CLSID clsid;
    // The path of a path element, the name of a file-system item.
    std::string text;
};

// The size of the list at `block` (its elements and its terminator) when it
// lies wholly inside `size` bytes and every element of the platform's is
// well-formed and in a place the grammar above allows; 0 otherwise. Never
// reads past the block. The one check for identifier lists that reach the
// platform's programs from outside (a command line, a link).
std::size_t ValidateIdList(const BYTE* block, std::size_t size);

// The elements of a list that ValidateIdList accepted (or one the platform
// made itself), in order; platform fields are read only from the elements the
// grammar gives the platform.
std::vector<Element> SplitIdList(const std::vector<BYTE>& list);

} // namespace platform::shell
