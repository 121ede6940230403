#include "platform/ui/SessionBus.h"

#include <QCoreApplication>
#include <QDBusConnection>

#include <cstdlib>
#include <string>
#include <sys/stat.h>

namespace platform::ui {

namespace {

// A bus is there when its address is given or the user's runtime directory
// holds its socket. Anything else would make the bus library start a bus of
// its own (autolaunch), which would outlive the process.
bool SessionBusExists()
{
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address != nullptr && address[0] != '\0')
        return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || runtime[0] == '\0')
        return false;
    struct stat info { };
    return ::stat((std::string(runtime) + "/bus").c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

} // namespace

std::optional<QDBusConnection> SessionBus()
{
    if (QCoreApplication::instance() == nullptr || !SessionBusExists())
        return std::nullopt;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return std::nullopt;
    return bus;
}

} // namespace platform::ui
