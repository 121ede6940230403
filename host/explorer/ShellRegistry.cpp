#include "host/explorer/ShellRegistry.h"

#include "platform/registry/Registry.h"

#include <optional>

namespace host::explorer {

namespace {

using platform::registry::Hive;
using platform::registry::Key;

std::vector<std::string> SubKeys(Hive hive, const std::string& path)
{
    std::vector<std::string> names;
    Key key;
    if (key.Open(hive, path) != 0)
        return names;
    std::string name;
    for (DWORD index = 0; key.EnumKey(index, name) == 0; ++index)
        names.push_back(name);
    return names;
}

std::string DefaultValue(Hive hive, const std::string& path)
{
    Key key;
    std::string value;
    if (key.Open(hive, path) != 0 || key.QueryString("", value, 4096) != 0)
        return {};
    return value;
}

} // namespace

std::vector<Junction> NamespaceJunctions(NamespacePlace place)
{
    const std::string path = place == NamespacePlace::Desktop ? kDesktopNamespaceKey : kMyComputerNamespaceKey;
    std::vector<Junction> junctions;
    for (const std::string& name : SubKeys(Hive::LocalMachine, path)) {
        const std::optional<CLSID> clsid = platform::com::ParseGuid(name);
        if (!clsid)
            continue;
        std::string title = DefaultValue(Hive::ClassesRoot, "CLSID\\" + platform::com::FormatGuid(*clsid));
        if (title.empty())
            title = DefaultValue(Hive::LocalMachine, path + "\\" + name);
        junctions.push_back({*clsid, title.empty() ? name : title});
    }
    return junctions;
}

std::vector<CLSID> DriveMenuHandlers()
{
    std::vector<CLSID> handlers;
    for (const std::string& name : SubKeys(Hive::ClassesRoot, kDriveMenuHandlersKey)) {
        std::optional<CLSID> clsid = platform::com::ParseGuid(name);
        if (!clsid)
            clsid = platform::com::ParseGuid(DefaultValue(Hive::ClassesRoot, kDriveMenuHandlersKey + ("\\" + name)));
        if (clsid)
            handlers.push_back(*clsid);
    }
    return handlers;
}

std::vector<FindExtension> FindExtensions()
{
    std::vector<FindExtension> entries;
    for (const std::string& name : SubKeys(Hive::LocalMachine, kFindExtensionsKey)) {
        const std::string key = kFindExtensionsKey + ("\\" + name);
        const std::optional<CLSID> clsid = platform::com::ParseGuid(DefaultValue(Hive::LocalMachine, key));
        FindExtension entry;
        entry.text = DefaultValue(Hive::LocalMachine, key + "\\0");
        if (!clsid || entry.text.empty())
            continue;
        entry.clsid = *clsid;
        entry.icon = DefaultValue(Hive::LocalMachine, key + "\\0\\DefaultIcon");
        entry.helpText = DefaultValue(Hive::LocalMachine, key + "\\0\\HelpText");
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace host::explorer
