#include "host/explorer/ModuleCache.h"

#include "platform/com/ComPtr.h"
#include "platform/com/ShellInterfaces.h"
#include "platform/registry/Registry.h"

#include <algorithm>
#include <cstdio>

namespace host::explorer {

namespace {

std::string HexResult(HRESULT result)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(result));
    return text;
}

} // namespace

ModuleCache::~ModuleCache()
{
    UnloadIdle();
    for (Loaded& entry : loaded_)
        static_cast<void>(entry.library.release()); // still in use: left loaded on purpose
}

std::string ModuleCache::ServerPathOf(const CLSID& clsid)
{
    platform::registry::Key key;
    const std::string path = "CLSID\\" + platform::com::FormatGuid(clsid) + "\\InprocServer32";
    std::string library;
    if (key.Open(platform::registry::Hive::ClassesRoot, path) != 0 || key.QueryString("", library, 4096) != 0)
        return {};
    return library;
}

HRESULT ModuleCache::CreateInstance(const CLSID& clsid, REFIID iid, void** out)
{
    if (out == nullptr)
        return E_POINTER;
    *out = nullptr;
    const std::string entry = platform::com::FormatGuid(clsid);
    const std::string path = ServerPathOf(clsid);
    if (path.empty())
        return Fail(entry, "no InprocServer32 entry", CLASS_E_CLASSNOTAVAILABLE);
    Loaded* library = Load(path, entry);
    if (library == nullptr)
        return CLASS_E_CLASSNOTAVAILABLE;
    platform::com::ComPtr<IClassFactory> factory;
    HRESULT result = library->getClassObject(clsid, IClassFactory::kIid, factory.ReceiveVoid());
    if (FAILED(result) || !factory)
        return Fail(entry, "DllGetClassObject answered " + HexResult(result), FAILED(result) ? result : E_FAIL);
    void* object = nullptr;
    result = factory->CreateInstance(nullptr, iid, &object);
    if (FAILED(result) || object == nullptr)
        return Fail(entry, "CreateInstance answered " + HexResult(result), FAILED(result) ? result : E_FAIL);
    *out = object;
    return S_OK;
}

ModuleCache::Loaded* ModuleCache::Load(const std::string& path, const std::string& entry)
{
    for (Loaded& loaded : loaded_) {
        if (loaded.path == path)
            return &loaded;
    }
    Loaded loaded;
    loaded.path = path;
    loaded.library = std::make_unique<platform::system::Library>(path);
    if (!loaded.library->IsLoaded()) {
        Fail(entry, loaded.library->Error(), E_FAIL);
        return nullptr;
    }
    loaded.getClassObject = reinterpret_cast<GetClassObjectFn>(loaded.library->Symbol("DllGetClassObject"));
    loaded.canUnloadNow = reinterpret_cast<CanUnloadNowFn>(loaded.library->Symbol("DllCanUnloadNow"));
    if (loaded.getClassObject == nullptr) {
        Fail(entry, path + " exports no DllGetClassObject", E_FAIL);
        return nullptr;
    }
    loaded_.push_back(std::move(loaded));
    return &loaded_.back();
}

int ModuleCache::UnloadIdle()
{
    // A library without DllCanUnloadNow cannot say it is idle: it stays.
    const auto idle
        = [](const Loaded& loaded) { return loaded.canUnloadNow != nullptr && loaded.canUnloadNow() == S_OK; };
    const auto kept = std::stable_partition(loaded_.begin(), loaded_.end(), [&](const Loaded& l) { return !idle(l); });
    const int unloaded = static_cast<int>(loaded_.end() - kept);
    loaded_.erase(kept, loaded_.end());
    return unloaded;
}

std::vector<std::string> ModuleCache::LoadedLibraries() const
{
    std::vector<std::string> paths;
    for (const Loaded& loaded : loaded_)
        paths.push_back(loaded.path);
    return paths;
}

HRESULT ModuleCache::Fail(const std::string& entry, const std::string& why, HRESULT result)
{
    if (reported_.insert(entry).second)
        std::fprintf(stderr, "explorer: class %s skipped: %s\n", entry.c_str(), why.c_str());
    return result;
}

} // namespace host::explorer
