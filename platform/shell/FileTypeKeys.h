#pragma once
// The desktop's file types as the keys a program expects under
// HKEY_CLASSES_ROOT: for every "*.ext" glob of the shared-mime-info
// database a key ".ext" whose default value is the type's name
// ("image/jpeg"), and for every type a key of that name whose default value
// is the type's description in the user's language ("JPEG image"). The
// registry shows them beside its own keys, read-only; they are never stored.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform::shell {

struct FileTypeKey {
    std::string name;
    std::string defaultValue;
};

class FileTypeKeys {
public:
    // Built on first use, once per process (the database holds about a
    // thousand types). Any thread may ask.
    static const FileTypeKeys& Instance();

    // Sorted by their names without regard to ASCII case, so that an index
    // names the same key every time.
    const std::vector<FileTypeKey>& Keys() const { return keys_; }
    // The key of that name (compared without regard to ASCII case), or null.
    const FileTypeKey* Find(std::string_view name) const;
    // The position of that key in Keys(), or npos.
    std::size_t IndexOf(std::string_view name) const;

    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

private:
    FileTypeKeys();

    std::vector<FileTypeKey> keys_;
};

} // namespace platform::shell
