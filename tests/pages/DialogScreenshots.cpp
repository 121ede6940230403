// Shows each dialog of this folder and saves a picture of it, so a person
// can look at the real thing under a window system (Xvfb in CI):
//   DISPLAY=:99 pages_dialog_screenshots /tmp/shots
// The insert-medium dialog lists the drives of a drive table made here.

#include "pages/AboutDialog.h"
#include "pages/HowToUseDialog.h"
#include "pages/InsertMediumDialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

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
    return ok ? 0 : 1;
}
