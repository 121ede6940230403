#include "setup/SetupCommand.h"

#include "platform/system/Module.h"
#include "setup/Installer.h"

#include <cstdio>

namespace setup {

namespace {

int Usage(const std::string& why)
{
    std::fprintf(stderr,
        "setup: %s\nusage: setup install [--desktop] [--my-computer] [--catdir DIR]\n"
        "       setup uninstall [--delete-catalogs]\n",
        why.c_str());
    return 2;
}

int Finish(const CInstaller& installer, bool succeeded, const char* done)
{
    const InstallerState& state = installer.State();
    if (!succeeded) {
        std::fprintf(stderr, "setup: %s: %s\n", state.actionText.c_str(), state.errorText.c_str());
        return 1;
    }
    std::printf("%s\n", done);
    if (state.restartNeeded)
        std::printf("The library in use is replaced when the explorer next starts.\n");
    return 0;
}

int Install(CInstaller& installer, const std::vector<std::string>& options)
{
    InstallerState& state = installer.State();
    bool desktop = false;
    bool myComputer = false;
    for (std::size_t i = 0; i < options.size(); ++i) {
        if (options[i] == "--desktop")
            desktop = true;
        else if (options[i] == "--my-computer")
            myComputer = true;
        else if (options[i] == "--catdir" && i + 1 < options.size())
            state.catalogDirectory = options[++i];
        else
            return Usage("unknown option '" + options[i] + "'");
    }
    if (desktop || myComputer) {
        state.iconOnDesktop = desktop;
        state.iconInMyComputer = myComputer;
    }
    const bool succeeded = installer.Install();
    return Finish(installer, succeeded, ("Installed into " + state.targetFolder).c_str());
}

int Uninstall(CInstaller& installer, const std::vector<std::string>& options)
{
    for (const std::string& option : options) {
        if (option != "--delete-catalogs")
            return Usage("unknown option '" + option + "'");
        installer.State().deleteCatalogs = true;
    }
    const bool succeeded = installer.Uninstall();
    return Finish(installer, succeeded, "Uninstalled");
}

const char g_anchor = 0;

} // namespace

std::string ProgramFolder()
{
    const std::string path = platform::system::ModulePathOf(&g_anchor);
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

int RunSetupCommand(const std::vector<std::string>& arguments, const std::string& sourceFolder)
{
    if (arguments.empty())
        return Usage("say install or uninstall");
    CInstaller installer(sourceFolder);
    const std::vector<std::string> options(arguments.begin() + 1, arguments.end());
    if (arguments[0] == "install")
        return Install(installer, options);
    if (arguments[0] == "uninstall")
        return Uninstall(installer, options);
    return Usage("unknown command '" + arguments[0] + "'");
}

} // namespace setup
