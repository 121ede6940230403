// pellidor: catalogs removable media from the command line.

#include "cli/Commands.h"
#include "module/Version.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

namespace {

void PrintUsage(std::FILE* out)
{
    std::fputs("Usage: pellidor COMMAND [ARGUMENTS]\n\nCommands:\n", out);
    for (const auto& command : pellidor::cli::AllCommands())
        std::fprintf(out, "  %s %s\n      %s\n", command.name, command.usage, command.summary);
    std::fputs("  --help\n      show this text\n  --version\n      show the version\n", out);
}

} // namespace

int main(int argc, char** argv)
{
    const pellidor::cli::Arguments arguments(argv + std::min(argc, 2), argv + argc);
    std::unique_ptr<QCoreApplication> app;
    if (argc >= 2 && pellidor::cli::WantsWindowSystem(argv[1], arguments)) {
        if (const std::string missing = pellidor::cli::MissingDisplay(); !missing.empty())
            return pellidor::cli::Fail(missing);
        app = std::make_unique<QApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    if (argc < 2) {
        PrintUsage(stderr);
        return 2;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h") {
        PrintUsage(stdout);
        return 0;
    }
    if (name == "--version") {
        std::printf("pellidor %s\n", pellidor::kVersionText);
        return 0;
    }
    for (const auto& command : pellidor::cli::AllCommands()) {
        if (name == command.name)
            return command.run(arguments);
    }
    return pellidor::cli::Fail("unknown command '" + name + "'; see 'pellidor --help'", 2);
}
