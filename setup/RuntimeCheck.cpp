#include "setup/RuntimeCheck.h"

#include <QtGlobal>

namespace setup {

QVersionNumber BuiltRuntimeVersion()
{
    return QVersionNumber(QT_VERSION_MAJOR, QT_VERSION_MINOR, QT_VERSION_PATCH);
}

bool RuntimeIsSufficient(const QVersionNumber& running)
{
    // A version that cannot be told does not stop the installation.
    return running.isNull() || QVersionNumber::compare(running, BuiltRuntimeVersion()) >= 0;
}

std::string RequiredRuntimeText()
{
    // Debian names the package after the library's major version.
    return "Qt " + BuiltRuntimeVersion().toString().toStdString() + " runtime libraries (libqt"
        + std::to_string(QT_VERSION_MAJOR) + "widgets" + std::to_string(QT_VERSION_MAJOR) + ") or newer";
}

} // namespace setup
