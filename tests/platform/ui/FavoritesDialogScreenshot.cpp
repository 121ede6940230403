// Shows the add-to-favorites dialog over a small Favorites folder of its own
// and saves a picture of it, so a person can look at the real thing under a
// window system:
//   DISPLAY=:99 platform_ui_favorites_screenshot docs/images/add-to-favorites.png

#include "platform/com/Memory.h"
#include "platform/shell/SpecialFolders.h"
#include "platform/system/Paths.h"
#include "platform/ui/AddToFavoritesDialog.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PICTURE.png\n", argv[0]);
        return 2;
    }
    // A world of its own: the user's Favorites are never touched.
    QTemporaryDir world;
    setenv("HOME", world.path().toLocal8Bit().constData(), 1);
    setenv("XDG_DATA_HOME", (world.path() + QStringLiteral("/data")).toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    const QString favorites = QString::fromStdString(platform::system::FavoritesDirectory());
    for (const char* folder : {"Music", "Trips/Spain", "Trips/Norway", "Work"})
        QDir().mkpath(favorites + QLatin1Char('/') + QString::fromLatin1(folder));

    LPITEMIDLIST list = nullptr;
    if (FAILED(platform::shell::SHGetSpecialFolderLocation(nullptr, platform::shell::CSIDL_FAVORITES, &list)))
        return 1;
    const platform::com::TaskMemPtr<ITEMIDLIST> owned(list);
    const QString picture = QString::fromLocal8Bit(argv[1]);
    bool saved = false;
    QTimer::singleShot(800, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr)
            return;
        auto* tree = dialog->findChild<QTreeWidget*>(QStringLiteral("folders"));
        const auto spain = tree->findItems(QStringLiteral("Spain"), Qt::MatchExactly | Qt::MatchRecursive);
        if (!spain.isEmpty())
            tree->setCurrentItem(spain.front());
        QApplication::processEvents();
        saved = dialog->grab().save(picture);
        dialog->close();
    });
    char path[MAX_PATH] = {};
    char title[MAX_PATH] = "Holidays 2024";
    platform::ui::DoAddToFavDlg(nullptr, path, sizeof path, title, sizeof title, owned.get());
    std::printf("%s %s\n", saved ? "wrote" : "cannot write", argv[1]);
    return saved ? 0 : 1;
}
