#pragma once
// The registry: HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER,
// kept in one SQLite database per user ($XDG_DATA_HOME/pellidor/registry.db).
//
// Key and value names compare without regard to ASCII case and keep the
// spelling they were created with; paths use "\" between keys. The unnamed
// default value is the value whose name is "". Every operation answers a
// Windows error number: 0 success, 2 not found, 5 access denied (a write
// through a key opened for reading), 234 more data, 259 no more items.
// Each write is one transaction; concurrent processes are safe.
//
// HKEY_CLASSES_ROOT also shows the desktop's file types (shell/FileTypeKeys.h)
// as read-only keys beside the database's: ".ext" with the type's name as
// its default value, and the type's name with its description. A key that a
// program writes is the database's and comes first where names collide: it
// hides the file-type key of its name whole, values and all. Opening a
// file-type key for writing, or deleting one, answers 5.

#include "platform/com/Types.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform::shell {
struct FileTypeKey;
} // namespace platform::shell

namespace platform::registry {

enum class Hive { ClassesRoot, LocalMachine, CurrentUser };
enum class Access { Read, ReadWrite };

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

// An open key. Closed when destroyed; movable, not copyable.
class Key {
public:
    Key();
    ~Key();
    Key(Key&& other) noexcept;
    Key& operator=(Key&& other) noexcept;
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    // Opens an existing key; 2 when it (or a key above it) does not exist.
    LONG Open(Hive hive, std::string_view path, Access access = Access::Read);
    // Opens the key, creating it and the keys above it as needed; always for
    // reading and writing. `created` tells whether it was made now.
    LONG Create(Hive hive, std::string_view path, bool* created = nullptr);
    void Close();
    bool IsOpen() const;

    // The Windows query: with `data` null only the size is given; a buffer
    // smaller than the value answers 234 with the needed size in `size`.
    // A REG_SZ value's size counts its terminating NUL.
    LONG QueryValue(std::string_view name, DWORD* type, void* data, DWORD* size) const;
    // A REG_SZ value of at most maxBytes bytes including its NUL; 234 when
    // longer, 2 when missing or not a text.
    LONG QueryString(std::string_view name, std::string& out, std::size_t maxBytes = 260) const;
    LONG QueryDword(std::string_view name, DWORD& out) const;

    LONG SetValue(std::string_view name, DWORD type, const void* data, DWORD size);
    LONG SetString(std::string_view name, std::string_view text);
    LONG SetDword(std::string_view name, DWORD value);
    LONG SetBinary(std::string_view name, const std::vector<BYTE>& bytes);
    LONG DeleteValue(std::string_view name);

    // By index in a stable order (creation order); 259 past the end. Under
    // HKEY_CLASSES_ROOT the file-type keys follow the database's own, in
    // the order of their names; there an enumeration that starts at 0 and
    // goes on index by index sees the keys as they were at its start.
    LONG EnumValue(DWORD index, std::string& name, DWORD* type = nullptr) const;
    LONG EnumKey(DWORD index, std::string& name) const;

    // Deletes the subkey with everything below it.
    LONG DeleteTree(std::string_view subKey);

private:
    // The database the key was opened in: the path is resolved at every
    // open, so a key keeps answering from where it was found.
    std::string database_;
    long long id_ = 0;
    bool writable_ = false;
    // Set instead of the database and id for one of HKEY_CLASSES_ROOT's
    // file-type keys; owned by the process-wide table.
    const shell::FileTypeKey* fileType_ = nullptr;

    // HKEY_CLASSES_ROOT's subkeys as an enumeration through this key last
    // saw them.
    struct ClassesRootListing;
    mutable std::unique_ptr<ClassesRootListing> listing_;

    LONG EnumClassesRoot(DWORD index, std::string& name) const;
    LONG ListClassesRoot() const;
    LONG DeleteTreeBelow(std::string_view subKey);
};

// Deletes the key at `path` with its whole subtree.
LONG DeleteTree(Hive hive, std::string_view path);

// Where the database lives for this user now.
std::string DatabasePath();

} // namespace platform::registry
