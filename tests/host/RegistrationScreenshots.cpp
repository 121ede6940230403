// Pictures of the drive menu in the explorer and of the reading dialog, for
// a person to look at under a window system (Xvfb in CI):
//   DISPLAY=:99 explorer_registration_screenshots OUTPUT-FOLDER
// It installs into a world of its own (home, registry, drive table) made
// here, with a removable drive over a tree big enough to watch it read.

#include "host/explorer/ExplorerWindow.h"
#include "platform/shell/NamespaceIds.h"
#include "setup/Installer.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

// The screen where `window` lies, pop-ups over it included.
bool SaveScreen(const QWidget& window, const QDir& out, const char* name)
{
    QApplication::processEvents();
    const QString path = out.filePath(QString::fromUtf8(name));
    const QRect area = window.frameGeometry();
    const bool saved
        = QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).save(path);
    std::printf("%s %s\n", saved ? "wrote" : "cannot write", qPrintable(path));
    return saved;
}

bool MakeWorld(const QTemporaryDir& world, const std::string& stick)
{
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
        setenv(name, qPrintable(world.path()), 1);
    for (int i = 0; i < 20000; ++i)
        QDir().mkpath(QString::fromStdString(stick + "/Photos/Album " + std::to_string(i) + "/Edited"));
    QFile table(world.filePath(QStringLiteral("drives.table")));
    if (!table.open(QIODevice::WriteOnly))
        return false;
    table.write(QString::fromStdString(stick + "\t2\tHOLIDAY\t0000BEEF\tFAT32\t4000000\t1000000\t1\n").toUtf8());
    setenv("PELLIDOR_DRIVES", qPrintable(table.fileName()), 1);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir world;
    const std::string stick = world.filePath(QStringLiteral("media/HOLIDAY")).toStdString();
    if (argc != 2 || !MakeWorld(world, stick)) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    const QDir out(QString::fromLocal8Bit(argv[1]));
    setup::CInstaller installer(QCoreApplication::applicationDirPath().toStdString());
    installer.State().iconInMyComputer = true;
    if (!installer.Install()) {
        std::fprintf(stderr, "%s: %s\n", installer.State().actionText.c_str(), installer.State().errorText.c_str());
        return 1;
    }

    host::explorer::ExplorerWindow window;
    window.resize(900, 560);
    window.show();
    window.Navigate(platform::shell::MyComputerIdList());
    QListWidget* places = window.Places();
    for (int row = 0; row < places->count(); ++row)
        places->item(row)->setSelected(places->item(row)->text().startsWith(QStringLiteral("HOLIDAY")));
    if (places->selectedItems().isEmpty())
        return 1;
    bool ok = true;
    QTimer::singleShot(400, [&] {
        QMenu* menu = nullptr;
        for (QMenu* shown : window.findChildren<QMenu*>()) {
            if (shown->isVisible())
                menu = shown;
        }
        ok = SaveScreen(window, out, "drive-menu.png") && ok;
        QAction* add = nullptr;
        for (QAction* action : menu != nullptr ? menu->actions() : QList<QAction*>()) {
            if (action->text() == QStringLiteral("Add to Pellidor"))
                add = action;
        }
        if (add == nullptr) {
            ok = false;
            app.quit();
            return;
        }
        // Soon: the reading is quick even for thousands of folders.
        QTimer::singleShot(150, [&] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                const QString path = out.filePath(QStringLiteral("reading-progress.png"));
                const bool saved = dialog->grab().save(path);
                std::printf("%s %s\n", saved ? "wrote" : "cannot write", qPrintable(path));
                ok = saved && ok;
            } else {
                std::fprintf(stderr, "the reading ended before its picture was taken\n");
                ok = false;
            }
        });
        menu->hide();
        add->trigger();
        QTimer::singleShot(300, &app, &QApplication::quit);
    });
    const QPoint where = places->visualItemRect(places->selectedItems().at(0)).center();
    QTimer::singleShot(200, [&] { Q_EMIT places->customContextMenuRequested(where); });
    app.exec();
    return ok ? 0 : 1;
}
