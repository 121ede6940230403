// Setup: the wizard that installs the library (no argument) or removes it
// ("/uninstall", as the list of installed programs starts it).

#include "setup/SetupCommand.h"
#include "setup/SetupProgram.h"

#include <QApplication>
#include <QLibraryInfo>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    return setup::RunSetupProgram(QApplication::arguments().mid(1), setup::ProgramFolder(), QLibraryInfo::version());
}
