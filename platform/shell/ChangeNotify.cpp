#include "platform/shell/ChangeNotify.h"

#include "platform/com/ShellTypes.h"
#include "platform/ui/SessionBus.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>

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

std::vector<BYTE> FromBytes(const QByteArray& bytes)
{
    return std::vector<BYTE>(bytes.begin(), bytes.end());
}

void TellObservers(LONG event, const std::vector<BYTE>& item1, const std::vector<BYTE>& item2)
{
    std::map<int, ChangeObserver> observers;
    {
        std::lock_guard lock(g_mutex);
        observers = g_observers; // called unlocked: an observer may remove itself
    }
    for (const auto& entry : observers)
        entry.second(event, item1, item2);
}

class ChangeReceiver : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

public Q_SLOTS:
    void OnChange(int event, const QByteArray& item1, const QByteArray& item2, const QDBusMessage& signal)
    {
        const std::optional<QDBusConnection> bus = ui::SessionBus();
        if (!bus || signal.service() == bus->baseService())
            return;
        // What arrives from outside is bounded again before anyone reads it.
        const std::vector<BYTE> bytes1 = item1.isEmpty() ? std::vector<BYTE>() : IdListBytes(FromBytes(item1));
        const std::vector<BYTE> bytes2 = item2.isEmpty() ? std::vector<BYTE>() : IdListBytes(FromBytes(item2));
        TellObservers(static_cast<LONG>(event), bytes1, bytes2);
    }

private:
    // The elements that lie wholly inside the bytes, and a terminator.
    static std::vector<BYTE> IdListBytes(const std::vector<BYTE>& bytes)
    {
        std::size_t offset = 0;
        while (offset + sizeof(USHORT) <= bytes.size()) {
            USHORT size = 0;
            std::memcpy(&size, bytes.data() + offset, sizeof size);
            if (size < sizeof size || offset + size > bytes.size())
                break;
            offset += size;
        }
        std::vector<BYTE> list(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
        list.push_back(0);
        list.push_back(0);
        return list;
    }
};

std::mutex g_listenMutex;
bool g_listening = false;

} // namespace

bool ListenForChangeNotifications()
{
    std::lock_guard lock(g_listenMutex);
    if (g_listening)
        return true;
    QCoreApplication* app = QCoreApplication::instance();
    const std::optional<QDBusConnection> bus = ui::SessionBus();
    if (app == nullptr || !bus)
        return false;
    // Owned by the application, on its thread, for the rest of its life.
    auto* receiver = new ChangeReceiver;
    receiver->moveToThread(app->thread());
    receiver->setParent(app);
    g_listening = QDBusConnection(*bus).connect(QString(), ui::kBusPath, ui::kBusInterface,
        QStringLiteral("ChangeNotify"), receiver, SLOT(OnChange(int, QByteArray, QByteArray, QDBusMessage)));
    if (!g_listening) {
        delete receiver;
        return false;
    }
    QObject::connect(receiver, &QObject::destroyed, [] {
        std::lock_guard relock(g_listenMutex);
        g_listening = false;
    });
    return true;
}

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
    TellObservers(event, bytes1, bytes2);
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

#include "ChangeNotify.moc"
