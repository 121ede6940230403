#include "pages/DriveComboBox.h"

#include "platform/shell/DriveIcon.h"
#include "platform/system/Drives.h"
#include "platform/ui/Icon.h"

namespace pellidor {

namespace {

bool TakesRemovableMedia(const std::string& root)
{
    const UINT type = platform::system::GetDriveType(root);
    return type == platform::system::DRIVE_REMOVABLE || type == platform::system::DRIVE_CDROM;
}

} // namespace

CDriveComboBox::CDriveComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(false);
    setIconSize(QSize(16, 16));
}

void CDriveComboBox::Fill()
{
    clear();
    images_ = platform::ui::ImageList(16);
    for (const std::string& root : platform::system::GetLogicalDriveRoots()) {
        if (!TakesRemovableMedia(root))
            continue;
        const QString text = QString::fromStdString(root);
        // The icon comes from the drive type alone: the medium is not read.
        platform::ui::IconImage icon;
        const int image = platform::shell::GetDriveIcon(root, 16, icon) ? images_.Add(icon) : -1;
        if (image >= 0)
            addItem(images_.Icon(image), text);
        else
            addItem(text);
    }
    setCurrentIndex(count() > 0 ? 0 : -1);
}

std::string CDriveComboBox::SelectedText() const
{
    return currentIndex() < 0 ? std::string() : currentText().toStdString();
}

int CDriveComboBox::FindStringPrefix(int start, const QString& text) const
{
    const int entries = count();
    if (entries == 0)
        return -1;
    const int first = (start < 0 || start >= entries) ? 0 : start + 1;
    for (int step = 0; step < entries; ++step) {
        const int index = (first + step) % entries;
        if (itemText(index).startsWith(text, Qt::CaseInsensitive))
            return index;
    }
    return -1;
}

int CDriveComboBox::FindRoot(const QString& root) const
{
    if (root.isEmpty())
        return -1;
    for (int index = 0; index < count(); ++index) {
        const QString entry = itemText(index);
        if (!entry.startsWith(root, Qt::CaseInsensitive))
            continue;
        if (entry.size() == root.size() || root.endsWith(QLatin1Char('/')) || entry.at(root.size()) == QLatin1Char('/'))
            return index;
    }
    return -1;
}

} // namespace pellidor
