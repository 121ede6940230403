// bench_regset HKCR|HKLM|HKCU KEY VALUE: creates KEY and sets its default
// value, for benchmarks that set up a registry from a script.

#include "platform/registry/Registry.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    using platform::registry::Hive;
    if (argc != 4) {
        std::fputs("usage: bench_regset HKCR|HKLM|HKCU KEY VALUE\n", stderr);
        return 2;
    }
    const Hive hive = std::strcmp(argv[1], "HKCR") == 0 ? Hive::ClassesRoot
        : std::strcmp(argv[1], "HKLM") == 0             ? Hive::LocalMachine
                                                        : Hive::CurrentUser;
    platform::registry::Key key;
    if (const LONG error = key.Create(hive, argv[2]); error != 0)
        return static_cast<int>(error);
    return static_cast<int>(key.SetString("", argv[3]));
}
