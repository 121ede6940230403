#include "module/Settings.h"

#include "platform/system/Module.h"

namespace pellidor {

namespace {

constexpr std::string_view kDefaultModuleName = "Pellidor";
constexpr std::string_view kLibrarySuffix = ".so";

// An address inside the product, whichever file the product was linked into.
const char g_productAnchor = 0;

std::string FindModuleName()
{
    // Inside Pellidor.so the name comes from the file. The product is also
    // linked into the command-line tool and the tests, whose file is a
    // program: their settings stay where the library's are.
    const std::string path = platform::system::ModulePathOf(&g_productAnchor);
    if (!path.ends_with(kLibrarySuffix))
        return std::string(kDefaultModuleName);
    const std::string name = platform::system::ModuleNameOf(&g_productAnchor);
    return name.empty() ? std::string(kDefaultModuleName) : name;
}

} // namespace

std::string ModuleName()
{
    static const std::string name = FindModuleName();
    return name;
}

std::string SettingsKey(std::string_view section)
{
    return "Software\\" + ModuleName() + "\\" + std::string(section);
}

} // namespace pellidor
