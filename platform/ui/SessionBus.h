#pragma once
// The session bus as the platform uses it between processes: one object path
// and one interface for all of the platform's signals.

#include <QString>

#include <optional>

class QDBusConnection;

namespace platform::ui {

inline const QString kBusPath = QStringLiteral("/org/pellidor/Platform");
inline const QString kBusInterface = QStringLiteral("org.pellidor.Platform");

// The session-bus connection, or nothing when there is no bus or no Qt
// application to run the connection (a bus connection made before the
// application misbehaves).
std::optional<QDBusConnection> SessionBus();

} // namespace platform::ui
