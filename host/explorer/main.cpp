// explorer [IDLIST-HEX | PATH]: the platform's file-manager window.

#include "host/explorer/ExplorerWindow.h"
#include "host/explorer/Startup.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("explorer"));
    const std::unique_ptr<host::explorer::ExplorerWindow> window
        = host::explorer::StartExplorer(QApplication::arguments().mid(1));
    window->show();
    return QApplication::exec();
}
