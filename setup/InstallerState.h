#pragma once
// What Setup knows and decides: where the files come from and go, where the
// shelf appears, where catalogs are stored, and the last failure.

#include <string>

namespace setup {

struct InstallerState {
    std::string sourceLibrary; // Pellidor.so beside the running program
    std::string sourceInstaller; // the Setup program beside it, whatever runs
    std::string targetFolder; // <system directory>/ShellExt
    std::string targetLibrary; // <target folder>/Pellidor.so
    std::string temporaryLibrary; // <target folder>/Pellidor.001
    std::string uninstallerPath; // <target folder>/pldinst.dll, a copy of Setup
    std::string catalogDirectory;
    bool iconOnDesktop = false;
    bool iconInMyComputer = false;
    bool deleteCatalogs = false;
    bool restartNeeded = false; // the library is replaced at the next start
    std::string actionText; // "<step>: <object>" of the last failure
    std::string errorText; // the platform's text for the last failure
};

} // namespace setup
