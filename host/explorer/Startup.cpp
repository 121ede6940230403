#include "host/explorer/Startup.h"

#include "host/explorer/ExplorerWindow.h"
#include "platform/shell/NamespaceIds.h"
#include "platform/shell/SpecialFolders.h"
#include "platform/system/MoveFile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStatusBar>

#include <cstdio>

namespace host::explorer {

namespace {

bool IsHexList(const std::string& text)
{
    if (text.size() < 4 || text.size() % 2 != 0)
        return false;
    return text.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

std::vector<BYTE> HexBytes(const std::string& text)
{
    std::vector<BYTE> bytes;
    for (std::size_t i = 0; i < text.size(); i += 2)
        bytes.push_back(static_cast<BYTE>(std::stoul(text.substr(i, 2), nullptr, 16)));
    return bytes;
}

} // namespace

std::vector<BYTE> LocationOfFolder(const std::string& folder)
{
    return platform::shell::FileSystemIdList(folder);
}

std::vector<BYTE> LocationFromArgument(const std::string& argument, QString* message)
{
    const auto refuse = [&](const QString& why) {
        if (message != nullptr)
            *message = why;
        return platform::shell::MyComputerIdList();
    };
    if (IsHexList(argument)) {
        const std::vector<BYTE> bytes = HexBytes(argument);
        const std::size_t size = platform::shell::ValidateIdList(bytes.data(), bytes.size());
        if (size != bytes.size())
            return refuse(QCoreApplication::translate("Explorer", "The location is not a valid identifier list."));
        return bytes;
    }
    const QFileInfo info(QString::fromStdString(argument));
    if (!info.isDir())
        return refuse(
            QCoreApplication::translate("Explorer", "%1 is not a folder.").arg(QString::fromStdString(argument)));
    std::vector<BYTE> location = LocationOfFolder(info.canonicalFilePath().toStdString());
    if (location.empty())
        return refuse(
            QCoreApplication::translate("Explorer", "%1 is on no drive.").arg(QString::fromStdString(argument)));
    return location;
}

std::unique_ptr<ExplorerWindow> StartExplorer(const QStringList& arguments)
{
    // Before any library is loaded: a library replaced at next start must
    // not be in use when it is replaced.
    std::vector<std::string> failures;
    platform::system::CarryOutPendingMoves(&failures);
    for (const std::string& failure : failures)
        std::fprintf(stderr, "explorer: a move at start failed: %s\n", failure.c_str());

    auto window = std::make_unique<ExplorerWindow>();
    QString message;
    const std::vector<BYTE> location = arguments.isEmpty()
        ? platform::shell::MyComputerIdList()
        : LocationFromArgument(arguments.front().toStdString(), &message);
    if (!window->Navigate(location))
        window->Navigate(platform::shell::MyComputerIdList());
    if (!message.isEmpty()) {
        std::fprintf(stderr, "explorer: %s\n", message.toLocal8Bit().constData());
        window->statusBar()->showMessage(message);
    }
    return window;
}

} // namespace host::explorer
