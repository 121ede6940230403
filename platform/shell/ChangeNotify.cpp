#include "platform/shell/ChangeNotify.h"

#include "platform/com/ShellTypes.h"
#include "platform/ui/SessionBus.h"

#include <QByteArray>
#include <QDBusConnection>
#include <QDBusMessage>

#include <cstring>
#include <map>
#include <mutex>

namespace platform::shell {

namespace {

constexpr std::size_t kMaxListBytes = 64 * 1024;

std::mutex g_mutex;
std::map<int, ChangeObserver> g_observers;
int g_nextId = 1;

QByteArray ToBytes(const std::vector<BYTE>& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

void Signal(LONG event, const std::vector<BYTE>& item1, const std::vector<BYTE>& item2)
{
    const std::optional<QDBusConnection> bus = ui::SessionBus();
    if (!bus)
        return;
    QDBusMessage signal = QDBusMessage::createSignal(ui::kBusPath, ui::kBusInterface, QStringLiteral("ChangeNotify"));
    signal << static_cast<int>(event) << ToBytes(item1) << ToBytes(item2);
    bus->send(signal);
}

} // namespace

std::vector<BYTE> IdListBytes(const void* list)
{
    std::vector<BYTE> bytes;
    if (list == nullptr)
        return bytes;
    const auto* cursor = static_cast<const BYTE*>(list);
    std::size_t offset = 0;
    for (;;) {
        USHORT size = 0;
        std::memcpy(&size, cursor + offset, sizeof size);
        // A size below 2 cannot hold its own size field: the list ends there.
        if (size < sizeof size || offset + size + sizeof size > kMaxListBytes)
            break;
        offset += size;
    }
    bytes.assign(cursor, cursor + offset);
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

void SHChangeNotify(LONG event, UINT flags, const void* item1, const void* item2)
{
    const bool idLists = flags == SHCNF_IDLIST;
    const std::vector<BYTE> bytes1 = idLists ? IdListBytes(item1) : std::vector<BYTE>();
    const std::vector<BYTE> bytes2 = idLists ? IdListBytes(item2) : std::vector<BYTE>();
    std::map<int, ChangeObserver> observers;
    {
        std::lock_guard lock(g_mutex);
        observers = g_observers; // called unlocked: an observer may remove itself
    }
    for (const auto& entry : observers)
        entry.second(event, bytes1, bytes2);
    Signal(event, bytes1, bytes2);
}

int AddChangeObserver(ChangeObserver observer)
{
    std::lock_guard lock(g_mutex);
    const int id = g_nextId++;
    g_observers.emplace(id, std::move(observer));
    return id;
}

void RemoveChangeObserver(int id)
{
    std::lock_guard lock(g_mutex);
    g_observers.erase(id);
}

} // namespace platform::shell
