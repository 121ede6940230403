#pragma once
// Install and Uninstall without a window, for scripts:
//
//   install [--desktop] [--my-computer] [--catdir DIR]
//   uninstall [--delete-catalogs]
//
// Without --desktop or --my-computer the shelf stays where an earlier
// installation put it (the Desktop the first time); with either, it is
// exactly where they say. The last failure goes to stderr as
// "<step>: <object>: <error>".

#include <string>
#include <vector>

namespace setup {

// The exit status: 0 when every step succeeded, 1 when one failed, 2 for
// arguments it does not take. `sourceFolder` holds Pellidor.so and Setup.
int RunSetupCommand(const std::vector<std::string>& arguments, const std::string& sourceFolder);

// The folder of the running program.
std::string ProgramFolder();

} // namespace setup
