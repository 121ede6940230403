// A second process for the platform tests. Modes:
//   registry-write PREFIX COUNT   writes COUNT values PREFIXn under
//                                 HKEY_CURRENT_USER\Software\Stress, one write each
//   hold PATH [MODE]              opens PATH (MODE read, write or create;
//                                 write when not given), prints "held", and
//                                 keeps it until standard input closes
//   try-open PATH [MODE]          opens PATH once (MODE as above, read when not
//                                 given); prints "opened" or "error N"
//   volume PATH                   prints PATH's volume facts as
//                                 "LABEL<tab>SERIAL-HEX<tab>FILE-SYSTEM<tab>SOURCE",
//                                 or "error N"
//   windows WINDOW...             shows windows and prints "message NAME" for
//                                 every UM_PELLIDOR_CHANGED a window receives;
//                                 WINDOW is NAME|PARENT|TITLE (PARENT empty for a
//                                 top-level window); prints "ready" once it
//                                 listens, ends when standard input closes
//   change-notify HEX             tells SHCNE_UPDATEDIR for the bytes HEX (an
//                                 identifier list, possibly broken) and ends
// Exit status 0 on success, otherwise the Windows error number (or 100).

#include "platform/registry/Registry.h"
#include "platform/system/Drives.h"
#include "platform/system/Errors.h"
#include "platform/system/File.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SessionBus.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QSocketNotifier>
#include <QWidget>

#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>

namespace {

constexpr int kUsage = 100;

int RegistryWrite(const std::string& prefix, int count)
{
    using namespace platform::registry;
    Key key;
    if (const LONG error = key.Create(Hive::CurrentUser, "Software\\Stress"); error != 0)
        return error;
    for (int i = 0; i < count; ++i) {
        if (const LONG error = key.SetDword(prefix + std::to_string(i), static_cast<DWORD>(i)); error != 0) {
            std::printf("error %d at %d\n", error, i);
            return error;
        }
    }
    std::puts("done");
    return 0;
}

void WaitForStdinToClose()
{
    char buffer[64];
    while (::read(STDIN_FILENO, buffer, sizeof buffer) > 0) { }
}

using platform::system::File;

std::optional<File::Mode> ModeNamed(const std::string& name)
{
    if (name == "read")
        return File::Mode::Read;
    if (name == "write")
        return File::Mode::ReadWrite;
    if (name == "create")
        return File::Mode::CreateAlways;
    return std::nullopt;
}

int Hold(const std::string& path, File::Mode mode)
{
    File file;
    if (!file.Open(path, mode)) {
        std::printf("error %u\n", file.LastError());
        return static_cast<int>(file.LastError());
    }
    std::puts("held");
    std::fflush(stdout);
    WaitForStdinToClose();
    return 0;
}

int TryOpen(const std::string& path, File::Mode mode)
{
    File file;
    if (!file.Open(path, mode)) {
        std::printf("error %u\n", file.LastError());
        return static_cast<int>(file.LastError());
    }
    std::puts("opened");
    return 0;
}

int Volume(const std::string& path)
{
    platform::system::VolumeInformation info;
    if (!platform::system::GetVolumeInformation(path, info)) {
        const DWORD error = platform::system::GetLastError();
        std::printf("error %u\n", error);
        return static_cast<int>(error);
    }
    std::printf("%s\t%08X\t%s\t%s\n", info.label.c_str(), info.serial, info.fileSystem.c_str(),
        platform::system::VolumeSourceName(info.source));
    return 0;
}

class Window : public QWidget, public platform::ui::MessageHandler {
public:
    Window(std::string name, UINT changeMessage, QWidget* parent)
        : QWidget(parent)
        , name_(std::move(name))
        , changeMessage_(changeMessage)
    {
    }

    LRESULT HandleMessage(UINT message, WPARAM, LPARAM) override
    {
        if (message == changeMessage_) {
            std::printf("message %s\n", name_.c_str());
            std::fflush(stdout);
        }
        return 0;
    }

private:
    std::string name_;
    UINT changeMessage_;
};

int Windows(int argc, char** argv)
{
    QApplication app(argc, argv);
    const UINT changeMessage = platform::ui::RegisterWindowMessage("UM_PELLIDOR_CHANGED");
    if (!platform::ui::ListenForBroadcasts()) {
        std::puts("no bus");
        return kUsage;
    }
    // A round trip to the bus: it handles our requests in order, so once this
    // answers, our subscription is in place.
    platform::ui::SessionBus()->interface()->isServiceRegistered(QStringLiteral("org.freedesktop.DBus"));

    std::map<std::string, std::unique_ptr<Window>> topLevels;
    std::map<std::string, Window*> all;
    for (int i = 2; i < argc; ++i) {
        const QStringList parts = QString::fromUtf8(argv[i]).split(QLatin1Char('|'));
        if (parts.size() != 3)
            return kUsage;
        const std::string name = parts[0].toStdString();
        const std::string parent = parts[1].toStdString();
        Window* window = nullptr;
        if (parent.empty()) {
            auto owned = std::make_unique<Window>(name, changeMessage, nullptr);
            window = owned.get();
            topLevels[name] = std::move(owned);
        } else if (all.count(parent) != 0) {
            window = new Window(name, changeMessage, all[parent]); // owned by its parent
        } else {
            return kUsage;
        }
        platform::ui::SetWindowText(window, parts[2].toStdString());
        all[name] = window;
    }
    for (auto& entry : topLevels)
        entry.second->show();

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[64];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            app.quit();
    });
    std::puts("ready");
    std::fflush(stdout);
    return app.exec();
}

int ChangeNotify(int argc, char** argv)
{
    QApplication app(argc, argv);
    const std::optional<QDBusConnection> bus = platform::ui::SessionBus();
    if (!bus)
        return kUsage;
    // The bytes as given, broken or not, the way another process could send
    // them: the receiver must bound what it reads.
    QDBusMessage signal = QDBusMessage::createSignal(
        platform::ui::kBusPath, platform::ui::kBusInterface, QStringLiteral("ChangeNotify"));
    signal << 0x00001000 << QByteArray::fromHex(argv[2]) << QByteArray();
    bus->send(signal);
    // A call after the signal returns only once the signal has gone out.
    bus->interface()->isServiceRegistered(QStringLiteral("org.freedesktop.DBus"));
    std::puts("sent");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "registry-write" && argc == 4)
        return RegistryWrite(argv[2], std::stoi(argv[3]));
    if ((mode == "hold" || mode == "try-open") && (argc == 3 || argc == 4)) {
        const auto fileMode = ModeNamed(argc == 4 ? argv[3] : mode == "hold" ? "write" : "read");
        if (!fileMode)
            return kUsage;
        return mode == "hold" ? Hold(argv[2], *fileMode) : TryOpen(argv[2], *fileMode);
    }
    if (mode == "volume" && argc == 3)
        return Volume(argv[2]);
    if (mode == "windows")
        return Windows(argc, argv);
    if (mode == "change-notify" && argc == 3)
        return ChangeNotify(argc, argv);
    std::fputs(
        "usage: pellidor_platform_helper registry-write|hold|try-open|volume|windows|change-notify ...\n", stderr);
    return kUsage;
}
