#pragma once
// Modules: the file a function lives in, and loading a library at run time.

#include "platform/com/Types.h"
#include "platform/system/File.h"

#include <string>
#include <string_view>

namespace platform::system {

// The full path of the loaded file (program or shared library) that contains
// `address`; empty when it cannot be told.
std::string ModulePathOf(const void* address);
// The module name: the file name without directory and extension
// ("Pellidor" for /x/Pellidor.so).
std::string ModuleNameOf(const void* address);

// The path of one of the platform's own programs ("rundll32"): beside the
// running program, else beside the platform's library, where the platform
// is built and installed with its programs; empty when neither holds it.
std::string PlatformProgramPath(const std::string& name);

// A library loaded for as long as the object lives. While loaded, its file
// is held under a reader's lock (File.h), as the system's loader holds a
// library: copying onto it fails with 32 (sharing violation), and an
// installer puts the new library beside it instead (CopyFile.h).
class Library {
public:
    Library() = default;
    explicit Library(const std::string& path);
    ~Library();
    Library(Library&& other) noexcept;
    Library& operator=(Library&& other) noexcept;
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    bool IsLoaded() const { return handle_ != nullptr; }
    // The loader's text for why loading failed.
    const std::string& Error() const { return error_; }
    void* Symbol(const char* name) const;
    // The loader's handle, handed to a library's entries as their module.
    HINSTANCE Handle() const { return handle_; }

private:
    File lock_; // the reader's lock, released after the library is unloaded
    void* handle_ = nullptr;
    std::string error_;
};

} // namespace platform::system
