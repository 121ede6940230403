#pragma once
// Setup's start: the command line, then the wizard from the page it says.
//
//   Setup                 install (or, on a Qt runtime older than the one
//                         built against, the page that says what is missing)
//   Setup /uninstall      uninstall, the option in any letter case, as the
//                         list of installed programs starts it
//   Setup --uninstall     the same, as Linux spells options
//
// Anything else is refused with a message before anything on the machine
// is read or written.

#include <QStringList>
#include <QVersionNumber>

#include <string>

namespace setup {

enum class SetupMode { Install, Uninstall, Refused };

// `arguments` without the program's name.
SetupMode ModeOf(const QStringList& arguments);

// Runs Setup for the program in `sourceFolder` on the Qt runtime `runtime`.
// The exit status: 0 when the wizard ended on a success page, 1 otherwise,
// 2 for a refused command line.
int RunSetupProgram(const QStringList& arguments, const std::string& sourceFolder, const QVersionNumber& runtime);

} // namespace setup
