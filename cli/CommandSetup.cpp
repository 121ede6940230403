// pellidor setup install|uninstall: Setup's steps without a window, from the
// folder this program was started from (where Pellidor.so and Setup lie).

#include "cli/Commands.h"
#include "setup/SetupCommand.h"

namespace pellidor::cli {

int RunSetup(const Arguments& arguments)
{
    return setup::RunSetupCommand(arguments, setup::ProgramFolder());
}

} // namespace pellidor::cli
