#pragma once
// What the desktop knows of a file type, asked by name alone (the disk is
// never touched): the type's description and its icon, from the
// shared-mime-info database and the icon theme.

#include "platform/com/Types.h"

#include <QImage>
#include <QMimeType>

#include <string>

namespace platform::shell {

constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// The attribute bits of the entry at `path` (0x10 a directory, 0x01 not
// writable, 0x02 a dot-name, else 0x80), following symbolic links;
// INVALID_FILE_ATTRIBUTES when nothing is there.
DWORD GetFileAttributes(const std::string& path);

// The description of the type that the name's extension gives ("PDF
// document"), of a folder when `attributes` has the directory bit (0x10).
// Empty when the name matches no type (the generic binary type counts as
// none).
std::string GetTypeName(const std::string& name, DWORD attributes);

// The type the name's extension gives, by the name alone. The type names
// above and the file-type keys of HKEY_CLASSES_ROOT (FileTypeKeys.h) both
// ask here, so that they agree.
QMimeType GetFileNameType(const std::string& name);

// The theme icon of the name's type at `size` pixels, else its generic
// icon; a null image when the theme has neither.
QImage GetFileTypeIcon(const std::string& name, int size);

} // namespace platform::shell
