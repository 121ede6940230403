#include "platform/system/Module.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <memory>
#include <utility>

namespace platform::system {

namespace {

std::string RealPath(const char* path)
{
    std::unique_ptr<char, decltype(&::free)> resolved(::realpath(path, nullptr), &::free);
    return resolved ? std::string(resolved.get()) : std::string();
}

std::string ProgramPath()
{
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

std::string DirectoryOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool IsProgram(const std::string& path)
{
    return ::access(path.c_str(), X_OK) == 0;
}

// An address inside the platform's library, for the file it was loaded from.
const char g_platformAnchor = 0;

} // namespace

std::string PlatformProgramPath(const std::string& name)
{
    if (name.empty() || name.find('/') != std::string::npos)
        return {};
    for (const std::string& directory : {DirectoryOf(ProgramPath()), DirectoryOf(ModulePathOf(&g_platformAnchor))}) {
        if (!directory.empty() && IsProgram(directory + "/" + name))
            return directory + "/" + name;
    }
    return {};
}

std::string ModulePathOf(const void* address)
{
    Dl_info info{};
    if (address == nullptr || ::dladdr(address, &info) == 0 || info.dli_fname == nullptr)
        return {};
    // The loader names the program as it was started (possibly relative or
    // empty); the kernel knows its real path.
    const std::string path = info.dli_fname[0] != '\0' ? RealPath(info.dli_fname) : std::string();
    if (!path.empty() && path != RealPath("/proc/self/exe"))
        return path;
    const std::string program = ProgramPath();
    return program.empty() ? path : program;
}

std::string ModuleNameOf(const void* address)
{
    const std::string path = ModulePathOf(address);
    const auto slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.resize(dot);
    return name;
}

Library::Library(const std::string& path)
{
    // A library that cannot be locked (another program holds it as a
    // writer) still loads: the lock protects the file, not the loading.
    lock_.Open(path, File::Mode::Read);
    ::dlerror();
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* why = ::dlerror();
        error_ = why != nullptr ? why : "cannot load " + path;
        lock_.Close();
    }
}

Library::~Library()
{
    if (handle_ != nullptr)
        ::dlclose(handle_);
}

Library::Library(Library&& other) noexcept
    : lock_(std::move(other.lock_))
    , handle_(std::exchange(other.handle_, nullptr))
    , error_(std::move(other.error_))
{
}

Library& Library::operator=(Library&& other) noexcept
{
    if (this != &other) {
        if (handle_ != nullptr)
            ::dlclose(handle_);
        handle_ = std::exchange(other.handle_, nullptr);
        lock_ = std::move(other.lock_);
        error_ = std::move(other.error_);
    }
    return *this;
}

void* Library::Symbol(const char* name) const
{
    return handle_ != nullptr ? ::dlsym(handle_, name) : nullptr;
}

} // namespace platform::system
