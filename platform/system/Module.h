#pragma once
// Modules: the file a function lives in, and loading a library at run time.

#include <string>
#include <string_view>

namespace platform::system {

// The full path of the loaded file (program or shared library) that contains
// `address`; empty when it cannot be told.
std::string ModulePathOf(const void* address);
// The module name: the file name without directory and extension
// ("Pellidor" for /x/Pellidor.so).
std::string ModuleNameOf(const void* address);

// A library loaded for as long as the object lives.
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

private:
    void* handle_ = nullptr;
    std::string error_;
};

} // namespace platform::system
