#pragma once
// The libraries of shell extensions, as a shell holds them: a class is found
// by its CLSID under HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32, its
// library is loaded once and asked for the class object, and a library whose
// DllCanUnloadNow answers S_OK is unloaded again.
//
// Every failure (no entry, a missing library, no DllGetClassObject, a class
// object that refuses) is said once per class on stderr; callers skip what
// failed and go on.

#include "platform/com/Guid.h"
#include "platform/com/Types.h"
#include "platform/system/Module.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace host::explorer {

class ModuleCache {
public:
    ModuleCache() = default;
    ModuleCache(const ModuleCache&) = delete;
    ModuleCache& operator=(const ModuleCache&) = delete;
    // Idle libraries are unloaded; the others stay loaded, since objects of
    // theirs may still be held by whoever outlives the cache.
    ~ModuleCache();

    // A new instance of the class through its class object; *out is null on
    // every failure.
    HRESULT CreateInstance(const CLSID& clsid, REFIID iid, void** out);

    // Asks every loaded library whether it can go and unloads those that
    // answer S_OK; the number unloaded.
    int UnloadIdle();

    // The files of the loaded libraries, in loading order.
    std::vector<std::string> LoadedLibraries() const;

    // The library path registered for the class; empty when none is.
    static std::string ServerPathOf(const CLSID& clsid);

private:
    using GetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, void**);
    using CanUnloadNowFn = HRESULT (*)();

    struct Loaded {
        std::string path;
        std::unique_ptr<platform::system::Library> library;
        GetClassObjectFn getClassObject = nullptr;
        CanUnloadNowFn canUnloadNow = nullptr;
    };

    Loaded* Load(const std::string& path, const std::string& entry);
    HRESULT Fail(const std::string& entry, const std::string& why, HRESULT result);

    std::vector<Loaded> loaded_;
    std::set<std::string> reported_;
};

} // namespace host::explorer
