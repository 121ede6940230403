#include "platform/ui/SessionBus.h"

#include <QCoreApplication>
#include <QDBusConnection>

namespace platform::ui {

std::optional<QDBusConnection> SessionBus()
{
    if (QCoreApplication::instance() == nullptr)
        return std::nullopt;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return std::nullopt;
    return bus;
}

} // namespace platform::ui
