// pellidor: catalogs removable media from the command line.

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kUsage = "Usage: pellidor COMMAND [ARGUMENTS]\n"
                               "\n"
                               "Commands:\n"
                               "  --help       show this text\n"
                               "  --version    show the version\n";

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return argc < 2 ? 2 : 0;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::puts("pellidor 1.5c");
        return 0;
    }
    std::fprintf(stderr, "pellidor: unknown command '%s'; see 'pellidor --help'\n", argv[1]);
    return 2;
}
