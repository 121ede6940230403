#include "search/FileTypeComboBox.h"

#include "platform/registry/Registry.h"

#include <QHash>

namespace pellidor {

namespace {

using platform::registry::Hive;
using platform::registry::Key;

// Names, class names and descriptions are read into buffers of this size.
constexpr std::size_t kMaxText = 260;
constexpr int kExtensionsRole = Qt::UserRole + 1;

// The default value of HKEY_CLASSES_ROOT\`path`; false when it cannot be read.
bool DefaultValue(const std::string& path, std::string& out)
{
    Key key;
    return key.Open(Hive::ClassesRoot, path) == 0 && key.QueryString("", out, kMaxText) == 0;
}

QString TrimmedEnd(const std::string& text)
{
    QString result = QString::fromStdString(text);
    qsizetype end = result.size();
    while (end > 0 && result.at(end - 1).isSpace())
        --end;
    result.truncate(end);
    return result;
}

} // namespace

CFileTypeComboBox::CFileTypeComboBox(QWidget* parent) : QComboBox(parent)
{
}

void CFileTypeComboBox::Fill()
{
    clear();
    addItem(QString());
    setItemData(0, QString::fromLatin1(kAnyExtension), kExtensionsRole);
    Key root;
    if (root.Open(Hive::ClassesRoot, "") == 0) {
        std::string name;
        for (DWORD index = 0; root.EnumKey(index, name) == 0; ++index) {
            if (name.empty() || name.front() != '.' || name.size() >= kMaxText)
                continue;
            std::string className;
            std::string description;
            if (!DefaultValue(name, className) || className.empty() || !DefaultValue(className, description))
                continue;
            const QString shown = TrimmedEnd(description);
            if (!shown.isEmpty())
                AddType(shown, name);
        }
    }
    setCurrentIndex(-1);
}

void CFileTypeComboBox::AddType(const QString& description, const std::string& extension)
{
    const int existing = findText(description, Qt::MatchFixedString);
    const QString added = QString::fromStdString(extension);
    if (existing >= 0) {
        setItemData(
            existing, itemData(existing, kExtensionsRole).toString() + QLatin1Char(';') + added, kExtensionsRole);
        return;
    }
    // Sorted without regard to case, as the list's own sorting would; the
    // blank entry stays first.
    int at = 1;
    while (at < count() && itemText(at).compare(description, Qt::CaseInsensitive) <= 0)
        ++at;
    insertItem(at, description);
    setItemData(at, added, kExtensionsRole);
}

std::string CFileTypeComboBox::Extensions(int index) const
{
    if (index < 0 || index >= count())
        return {};
    return itemData(index, kExtensionsRole).toString().toStdString();
}

std::string CFileTypeComboBox::SelectedExtensions() const
{
    return Extensions(currentIndex());
}

} // namespace pellidor
