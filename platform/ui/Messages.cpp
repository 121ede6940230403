#include "platform/ui/Messages.h"

#include "platform/com/ShellTypes.h"
#include "platform/ui/SessionBus.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <map>
#include <mutex>
#include <string>

namespace platform::ui {

namespace {

const QString kBroadcastMember = QStringLiteral("Broadcast");

// Registered messages and clipboard formats: one id per name, for the life
// of the process, as the window system's atom table keeps them.
class AtomTable {
public:
    UINT Register(std::string_view name)
    {
        if (name.empty())
            return 0;
        std::string folded(name);
        std::transform(folded.begin(), folded.end(), folded.begin(),
            [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
        std::lock_guard lock(mutex_);
        const auto [it, added] = ids_.try_emplace(folded, next_);
        if (added)
            ++next_;
        return it->second;
    }

    bool Any() const
    {
        std::lock_guard lock(mutex_);
        return !ids_.empty();
    }

private:
    mutable std::mutex mutex_;
    std::map<std::string, UINT> ids_;
    UINT next_ = 0xC000;
};

AtomTable& Atoms()
{
    static AtomTable table;
    return table;
}

bool IsApplicationThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

// Posts to every widget of this process whose text is `windowText`. The
// walk needs the user-interface thread; from any other it is queued there.
void PostToMatchingWindows(UINT message, const std::string& windowText)
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr || windowText.empty())
        return;
    if (!IsApplicationThread()) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [message, windowText] { PostToMatchingWindows(message, windowText); },
            Qt::QueuedConnection);
        return;
    }
    // Top-level windows and their children alike: allWidgets holds both.
    const QByteArray wanted = QByteArray::fromStdString(windowText);
    for (QWidget* widget : QApplication::allWidgets()) {
        if (widget->windowTitle().toUtf8() == wanted)
            PostMessage(widget, message, 0, 0);
    }
}

// Turns other processes' broadcast signals into posts to this process's
// windows. Lives on the application's thread.
class BroadcastReceiver : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

public Q_SLOTS:
    void OnBroadcast(const QString& messageName, const QString& windowText, const QDBusMessage& signal)
    {
        const std::optional<QDBusConnection> bus = SessionBus();
        // Our own broadcasts were delivered here when they were sent.
        if (!bus || signal.service() == bus->baseService())
            return;
        const UINT message = RegisterWindowMessage(messageName.toStdString());
        PostToMatchingWindows(message, windowText.toStdString());
    }
};

std::mutex g_listenMutex;
bool g_listening = false;

// Processes that registered a message before their application existed (the
// product does so while loading) start listening once it does.
void ListenIfRegistered()
{
    if (Atoms().Any())
        ListenForBroadcasts();
}

} // namespace

UINT RegisterWindowMessage(std::string_view name)
{
    const UINT id = Atoms().Register(name);
    if (id != 0 && QCoreApplication::instance() != nullptr && IsApplicationThread())
        ListenForBroadcasts();
    return id;
}

UINT RegisterClipboardFormat(std::string_view name)
{
    return Atoms().Register(name);
}

void SetWindowText(HWND window, std::string_view text)
{
    if (window != nullptr)
        window->setWindowTitle(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

std::string GetWindowText(HWND window)
{
    return window != nullptr ? window->windowTitle().toStdString() : std::string();
}

bool PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window == nullptr || dynamic_cast<MessageHandler*>(window) == nullptr)
        return false;
    QPointer<QWidget> target(window);
    // The context object puts the call on the window's thread; the guard
    // skips it when the window went away in the meantime.
    return QMetaObject::invokeMethod(
        window,
        [target, message, wParam, lParam] {
            if (auto* handler = dynamic_cast<MessageHandler*>(target.data()))
                handler->HandleMessage(message, wParam, lParam);
        },
        Qt::QueuedConnection);
}

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* handler = dynamic_cast<MessageHandler*>(window);
    return handler != nullptr ? handler->HandleMessage(message, wParam, lParam) : 0;
}

bool PostCommand(HWND window, int commandId)
{
    return PostMessage(window, WM_COMMAND, static_cast<WPARAM>(commandId) & 0xFFFFu, 0);
}

void BroadcastRegisteredMessage(std::string_view messageName, std::string_view windowText)
{
    const UINT message = RegisterWindowMessage(messageName);
    PostToMatchingWindows(message, std::string(windowText));
    if (const std::optional<QDBusConnection> bus = SessionBus()) {
        QDBusMessage signal = QDBusMessage::createSignal(kBusPath, kBusInterface, kBroadcastMember);
        signal << QString::fromUtf8(messageName.data(), static_cast<qsizetype>(messageName.size()))
               << QString::fromUtf8(windowText.data(), static_cast<qsizetype>(windowText.size()));
        bus->send(signal); // a signal: nobody is waited for
    }
}

bool ListenForBroadcasts()
{
    std::lock_guard lock(g_listenMutex);
    if (g_listening)
        return true;
    QCoreApplication* app = QCoreApplication::instance();
    const std::optional<QDBusConnection> bus = SessionBus();
    if (app == nullptr || !bus)
        return false;
    // Owned by the application, on its thread, for the rest of its life.
    auto* receiver = new BroadcastReceiver;
    receiver->moveToThread(app->thread());
    receiver->setParent(app);
    g_listening = QDBusConnection(*bus).connect(QString(), kBusPath, kBusInterface, kBroadcastMember, receiver,
        SLOT(OnBroadcast(QString, QString, QDBusMessage)));
    if (!g_listening) {
        delete receiver;
        return false;
    }
    // A later application (tests make several) listens anew.
    QObject::connect(receiver, &QObject::destroyed, [] {
        std::lock_guard relock(g_listenMutex);
        g_listening = false;
    });
    return true;
}

Q_COREAPP_STARTUP_FUNCTION(ListenIfRegistered)

} // namespace platform::ui

#include "Messages.moc"
