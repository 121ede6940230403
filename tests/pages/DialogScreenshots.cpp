// Shows each dialog of this folder and saves a picture of it, so a person
// can look at the real thing under a window system (Xvfb in CI):
//   DISPLAY=:99 pages_dialog_screenshots /tmp/shots
// The insert-medium dialog lists the drives of a drive table made here; the
// property pages show a catalog written here.

#include "items/Images.h"
#include "items/ShelfItem.h"
#include "pages/AboutDialog.h"
#include "pages/CatalogInfoDialog.h"
#include "pages/HowToUseDialog.h"
#include "pages/InsertMediumDialog.h"
#include "pages/PageFile.h"
#include "pages/PageFolder.h"
#include "pages/PageVolume.h"
#include "platform/ui/PropertySheet.h"
#include "tests/items/ShelfTestCatalogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool Shoot(QDialog& dialog, const QDir& out, const char* name)
{
    dialog.show();
    dialog.raise();
    QApplication::processEvents();
    const QString path = out.filePath(QString::fromUtf8(name));
    const bool saved = dialog.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "cannot write", qPrintable(path));
    dialog.hide();
    return saved;
}

class NoProgress final : public pellidor::IReadProgress {
public:
    bool IsCancelled() const override { return false; }
    void SetCancelled() override { }
    void ShowPath(const std::string&) override { }
};

// A sheet titled `title` with `pages`, showing the page at `active`.
bool ShootSheet(const QString& title, std::vector<std::unique_ptr<platform::ui::PropertyPage>> pages, int active,
    const QDir& out, const char* name)
{
    platform::ui::PropertySheet sheet(title, nullptr);
    for (auto& page : pages)
        sheet.AddPage(std::move(page));
    sheet.SetActivePage(active);
    // The pages fill their controls as the sheet opens; it closes itself
    // once its picture is taken.
    bool saved = false;
    QTimer::singleShot(0, &sheet, [&] {
        saved = Shoot(sheet, out, name);
        sheet.reject();
    });
    sheet.DoModal();
    return saved;
}

bool ShootPages(const QString& dir, const QDir& out)
{
    using namespace pellidor;
    using namespace pellidor::test;
    // A real reading of a small tree, so the catalog has its icons; then the
    // header gets the facts of a USB stick.
    const QString tree = dir + QStringLiteral("/PHOTOS_01");
    const struct {
        const char* path;
        qint64 size;
    } files[] = {{"DCIM/100CANON/IMG_0001.JPG", 3145728}, {"DCIM/100CANON/IMG_0002.JPG", 2990417},
        {"DCIM/holiday-photos.jpg", 4821337}};
    for (const auto& entry : files) {
        const QString name = tree + QLatin1Char('/') + QString::fromUtf8(entry.path);
        QDir().mkpath(QFileInfo(name).path());
        QFile photo(name);
        if (!photo.open(QIODevice::WriteOnly) || !photo.resize(entry.size))
            return false;
    }
    QFile::setPermissions(tree + QStringLiteral("/DCIM/holiday-photos.jpg"), QFile::ReadOwner | QFile::ReadGroup);
    const std::string path = (dir + QStringLiteral("/3F2A19C0.pld")).toStdString();
    NoProgress progress;
    if (!CCatFile().Create(tree.toStdString(), path, progress))
        return false;
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadWrite))
        return false;
    CatHeader header;
    if (file.read(reinterpret_cast<char*>(&header), sizeof header) != sizeof header)
        return false;
    std::strcpy(header.UserName, "Holidays 2001");
    std::strcpy(header.Content, "Photos of the summer holidays, Brittany and Normandy");
    std::strcpy(header.FileSystemName, "vfat");
    header.DriveType = 2;
    header.TotalBytes = 8004304896;
    header.FreeBytes = 1210056704;
    if (!file.seek(0) || file.write(reinterpret_cast<const char*>(&header), sizeof header) != sizeof header)
        return false;
    file.close();
    const std::vector<BYTE> root = ShellRootIdList();
    auto catalog = platform::com::MakeCom<CShelfItem>(AsIdList(root), FindDataFor(path));
    if (!catalog->LoadChildren(false) || catalog->GetChildCount() < 1)
        return false;
    auto* dcim = dynamic_cast<CCatFolder*>(catalog->GetChild(0));
    if (dcim == nullptr || !dcim->LoadChildren(false) || dcim->GetChildCount() < 2)
        return false;
    CCatItem* photo = nullptr;
    for (int i = 0; i < dcim->GetChildCount(); ++i) {
        if (!dcim->GetChild(i)->IsFolder())
            photo = dcim->GetChild(i);
    }
    if (photo == nullptr)
        return false;

    bool ok = true;
    std::vector<std::unique_ptr<platform::ui::PropertyPage>> pages;
    pages.push_back(std::make_unique<CPageFile>(*photo));
    pages.push_back(std::make_unique<CPageVolume>(*catalog));
    ok = ShootSheet(QString::fromStdString(photo->GetName()), std::move(pages), 0, out, "page-file.png") && ok;
    pages.clear();
    pages.push_back(std::make_unique<CPageFolder>(*dcim));
    pages.push_back(std::make_unique<CPageVolume>(*catalog));
    ok = ShootSheet(QString::fromStdString(dcim->GetName()), std::move(pages), 0, out, "page-folder.png") && ok;
    pages.clear();
    pages.push_back(std::make_unique<CPageVolume>(*catalog));
    ok = ShootSheet(QString::fromStdString(catalog->GetName()), std::move(pages), 0, out, "page-volume.png") && ok;
    HICON large = nullptr;
    CImages::Instance().IconsForCatalog(path, &large, nullptr);
    const platform::ui::IconPtr icon(large);
    CCatalogInfoDialog settings(catalog->GetName(), catalog->CatalogContent(), catalog->CatalogVolumeLabel(),
        icon ? QPixmap::fromImage(icon->ToImage()) : QPixmap(), nullptr);
    ok = Shoot(settings, out, "catalog-information.png") && ok;
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir world;
    const QString table = world.filePath(QStringLiteral("drives.table"));
    QFile file(table);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    const QString text = QStringLiteral("/media/cdrom\t5\tDISC\t1234ABCD\tiso9660\t0\t0\t0\n"
                                        "/media/usb-stick\t2\tSTICK\t0BADF00D\tvfat\t100\t50\t1\n");
    file.write(text.toUtf8());
    file.close();
    setenv("PELLIDOR_DRIVES", table.toLocal8Bit().constData(), 1);

    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    bool ok = true;
    {
        pellidor::CAboutDialog about;
        ok = Shoot(about, out, "about.png") && ok;
    }
    {
        pellidor::CHowToUseDialog howTo;
        ok = Shoot(howTo, out, "howto.png") && ok;
    }
    {
        pellidor::MediumQuery query{"holiday-photos.jpg", "Holidays 2001", [](const std::string&) { return false; }};
        pellidor::CInsertMediumDialog insert(query, nullptr);
        ok = Shoot(insert, out, "insert-medium.png") && ok;
    }
    ok = ShootPages(world.path(), out) && ok;
    return ok ? 0 : 1;
}
