#include "module/Registration.h"

#include "module/ClassObjects.h"
#include "platform/com/Guid.h"
#include "platform/registry/Registry.h"
#include "platform/system/Errors.h"

namespace pellidor {

namespace {

using platform::registry::Hive;
using platform::registry::Key;

// The key's default value, written only when the key is made now.
bool WriteIfNew(const std::string& path, const std::string& value)
{
    Key key;
    bool created = false;
    if (key.Create(Hive::ClassesRoot, path, &created) != platform::system::ERROR_SUCCESS)
        return false;
    return !created || key.SetString("", value) == platform::system::ERROR_SUCCESS;
}

bool Replace(const std::string& path, const std::string& value)
{
    Key key;
    return key.Create(Hive::ClassesRoot, path) == platform::system::ERROR_SUCCESS
        && key.SetString("", value) == platform::system::ERROR_SUCCESS;
}

bool RegisterClass(const ClassName& entry, const std::string& libraryPath)
{
    const std::string clsid = platform::com::FormatGuid(entry.clsid);
    const std::string progId = entry.progId;
    const std::string clsidKey = "CLSID\\" + clsid;
    return WriteIfNew(progId, progId) && WriteIfNew(clsidKey, progId) && Replace(progId + "\\CLSID", clsid)
        && Replace(clsidKey + "\\ProgID", progId) && Replace(clsidKey + "\\InProcServer32", libraryPath);
}

} // namespace

bool RegisterClasses(const std::string& libraryPath)
{
    for (const ClassName& entry : ClassTable()) {
        if (!RegisterClass(entry, libraryPath))
            return false;
    }
    return true;
}

} // namespace pellidor
