// Setup: installs the library (no argument) or removes it ("/uninstall", as
// the list of installed programs starts it). The wizard's pages come later;
// until then it runs the same steps without a window.

#include "platform/ui/MessageBox.h"
#include "setup/SetupCommand.h"
#include "setup/SetupTexts.h"

#include <QCoreApplication>
#include <QString>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const std::string source = setup::ProgramFolder();
    if (arguments.isEmpty())
        return setup::RunSetupCommand({"install"}, source);
    if (arguments.size() == 1 && arguments[0].compare(QStringLiteral("/uninstall"), Qt::CaseInsensitive) == 0)
        return setup::RunSetupCommand({"uninstall"}, source);
    platform::ui::MessageBox(nullptr, setup::SetupText(setup::kInvalidParameterText), "Pellidor Setup",
        platform::ui::MB_OK | platform::ui::MB_ICONERROR);
    return 2;
}
