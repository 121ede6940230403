#pragma once
// Whether the machine can run what Setup installs: the Qt libraries the
// programs run on must be at least the version they were built against (an
// older one lacks functions the library and the explorer call, and they
// would fail to load after a seemingly good installation).

#include <QVersionNumber>

#include <string>

namespace setup {

// The version the program was built against (QT_VERSION).
QVersionNumber BuiltRuntimeVersion();
// True when `running` (QLibraryInfo::version() in the program) is at least
// the version built against.
bool RuntimeIsSufficient(const QVersionNumber& running);
// What to install, for the page that refuses the installation:
// "Qt 6.4.2 runtime libraries (libqt6widgets6) or newer".
std::string RequiredRuntimeText();

} // namespace setup
