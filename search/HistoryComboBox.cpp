#include "search/HistoryComboBox.h"

#include <QFocusEvent>
#include <QLineEdit>

#include <algorithm>
#include <string_view>
#include <vector>

namespace pellidor {

namespace {

using platform::registry::Key;

std::string ValueName(int index)
{
    return std::to_string(index);
}

// At most `limit` bytes of `text`, never ending inside a UTF-8 sequence.
std::string CutText(std::string text, std::size_t limit)
{
    if (text.size() <= limit)
        return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    text.resize(end);
    return text;
}

// The text of a REG_SZ value whatever its length; false when it is missing
// or not a text. A stored NUL ends it.
bool ReadText(const Key& key, const std::string& name, std::string& out)
{
    DWORD type = 0;
    DWORD size = 0;
    if (key.QueryValue(name, &type, nullptr, &size) != 0 || type != platform::registry::REG_SZ)
        return false;
    std::vector<char> buffer(static_cast<std::size_t>(size) + 1, '\0');
    DWORD got = size;
    if (key.QueryValue(name, &type, buffer.data(), &got) != 0)
        return false;
    const auto end = std::find(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(std::min(got, size)), '\0');
    out.assign(buffer.begin(), end);
    return true;
}

} // namespace

CHistoryComboBox::CHistoryComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(kMaxEntries);
}

CHistoryComboBox::~CHistoryComboBox()
{
    if (loaded_)
        Save();
}

void CHistoryComboBox::SetKey(platform::registry::Hive hive, std::string path)
{
    hive_ = hive;
    path_ = std::move(path);
}

void CHistoryComboBox::Load()
{
    loaded_ = true;
    Key key;
    if (key.Create(hive_, path_) != 0)
        return;
    const QString typed = currentText();
    for (int i = 0; i < kMaxEntries; ++i) {
        std::string text;
        if (ReadText(key, ValueName(i), text))
            addItem(QString::fromStdString(CutText(std::move(text), kMaxValueBytes - 1)));
    }
    // Filling the list must not replace what the field shows.
    setEditText(typed);
}

void CHistoryComboBox::Save() const
{
    Key key;
    if (key.Create(hive_, path_) != 0)
        return;
    const int stored = std::min(count(), kMaxEntries);
    for (int i = 0; i < stored; ++i)
        key.SetString(ValueName(i), itemText(i).toStdString());
}

void CHistoryComboBox::Remember()
{
    const QString text = currentText();
    if (text.isEmpty())
        return;
    const int same = findText(text, Qt::MatchFixedString);
    if (same >= 0)
        removeItem(same);
    insertItem(0, text);
    setCurrentIndex(0);
}

void CHistoryComboBox::focusOutEvent(QFocusEvent* event)
{
    // Opening the box's own list takes the focus for a moment; that is no
    // leaving.
    if (event->reason() != Qt::PopupFocusReason)
        Remember();
    QComboBox::focusOutEvent(event);
}

} // namespace pellidor
