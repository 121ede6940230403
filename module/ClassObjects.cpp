#include "module/ClassObjects.h"

#include "items/ShelfFolder.h"
#include "module/ClassFactory.h"
#include "module/ClassIds.h"
#include "module/ModuleLock.h"
#include "reader/ReadMenu.h"
#include "reader/ReadProgressDialog.h"
#include "search/SearchMenu.h"

#include <mutex>
#include <new>
#include <vector>

namespace pellidor {

namespace {

using platform::com::ComPtr;

ComPtr<IUnknown> CreateShelfFolder()
{
    auto* folder = new (std::nothrow) CShelfFolder();
    if (folder == nullptr)
        return nullptr;
    return ComPtr<IUnknown>::Adopt(static_cast<IShellFolder*>(folder));
}

ComPtr<IUnknown> CreateReadMenu()
{
    // The menu reads through the dialog; it knows no widget itself.
    auto* menu = new (std::nothrow) CReadMenu(&RunReadProgressDialog);
    if (menu == nullptr)
        return nullptr;
    return ComPtr<IUnknown>::Adopt(static_cast<IShellExtInit*>(menu));
}

ComPtr<IUnknown> CreateSearchMenu()
{
    auto* menu = new (std::nothrow) CSearchMenu();
    if (menu == nullptr)
        return nullptr;
    return ComPtr<IUnknown>::Adopt(static_cast<IContextMenu*>(menu));
}

struct ClassEntry {
    CLSID clsid;
    const char* progId;
    CClassFactory::Creator create;
};

// The creatable classes, fixed at build time.
constexpr ClassEntry kClassTable[] = {
    {CLSID_ShelfFolder, kShelfFolderProgId, &CreateShelfFolder},
    {CLSID_ReadMenu, kReadMenuProgId, &CreateReadMenu},
    {CLSID_SearchMenu, kSearchMenuProgId, &CreateSearchMenu},
};

struct ClassObject {
    const ClassEntry* entry;
    ComPtr<CClassFactory> factory; // the module's own reference
};

// Searched under this lock: the shell may ask from several threads.
std::mutex tableMutex;

// Made on first use, destroyed when the module unloads.
std::vector<ClassObject>& ClassObjectList()
{
    static std::vector<ClassObject> list = [] {
        std::vector<ClassObject> made;
        for (const auto& entry : kClassTable)
            made.push_back({&entry, platform::com::MakeCom<CClassFactory>(entry.create)});
        return made;
    }();
    return list;
}

} // namespace

HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out)
{
    if (out == nullptr)
        return E_POINTER;
    *out = nullptr;
    std::lock_guard guard(tableMutex);
    for (const auto& object : ClassObjectList()) {
        if (object.entry->clsid == clsid)
            return object.factory->QueryInterface(iid, out);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

bool CanUnloadNow()
{
    if (ModuleLockCount() != 0)
        return false;
    std::lock_guard guard(tableMutex);
    for (const auto& object : ClassObjectList()) {
        if (object.factory->ReferenceCount() > 1)
            return false;
    }
    return true;
}

const char* ProgIdOf(REFCLSID clsid)
{
    for (const auto& entry : kClassTable) {
        if (entry.clsid == clsid)
            return entry.progId;
    }
    return nullptr;
}

std::vector<ClassName> ClassTable()
{
    std::vector<ClassName> names;
    for (const auto& entry : kClassTable)
        names.push_back({entry.clsid, entry.progId});
    return names;
}

} // namespace pellidor
