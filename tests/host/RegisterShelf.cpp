// Makes the explorer show the shelf, for pictures of the views: the shelf's
// class is registered with the library given, the shelf is placed in My
// Computer, and the shelf's identifier list is printed in the explorer's hex
// form. The registration proper belongs to the library's own
// DllRegisterServer; this is the smallest part of it a picture needs.
//
//     views_register_shelf PATH-TO-Pellidor.so

#include "host/explorer/ShellRegistry.h"
#include "platform/com/Guid.h"
#include "platform/registry/Registry.h"
#include "platform/shell/NamespaceIds.h"

#include <cstdio>
#include <string>

namespace {

constexpr CLSID kShelfClass = MakeGuid(0x4C7D2A90, 0x83B1, 0x4E6F, 0x9D, 0x25, 0x7A, 0x0C, 0x3E, 0x5B, 0x8F, 0x14);

bool SetDefault(platform::registry::Hive hive, const std::string& path, const std::string& value)
{
    platform::registry::Key key;
    return key.Create(hive, path) == 0 && key.SetString("", value) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PATH-TO-Pellidor.so\n", argv[0]);
        return 2;
    }
    using platform::registry::Hive;
    const std::string clsid = platform::com::FormatGuid(kShelfClass);
    const bool done = SetDefault(Hive::ClassesRoot, "CLSID\\" + clsid, "Pellidor")
        && SetDefault(Hive::ClassesRoot, "CLSID\\" + clsid + "\\InprocServer32", argv[1])
        && SetDefault(
            Hive::LocalMachine, std::string(host::explorer::kMyComputerNamespaceKey) + "\\" + clsid, "Pellidor");
    if (!done)
        return 1;
    for (const BYTE byte : platform::shell::MyComputerJunctionIdList(kShelfClass))
        std::printf("%02X", byte);
    std::printf("\n");
    return 0;
}
