#include "platform/ui/Menu.h"

#include <QFile>

#include <cctype>
#include <map>
#include <mutex>
#include <optional>
#include <string_view>
#include <utility>

namespace platform::ui {

const MenuItem* Menu::GetItem(int position) const
{
    if (position < 0 || position >= GetItemCount())
        return nullptr;
    return &items_[static_cast<std::size_t>(position)];
}

MenuItem* Menu::GetItem(int position)
{
    return const_cast<MenuItem*>(std::as_const(*this).GetItem(position));
}

const MenuItem* Menu::FindItem(UINT id) const
{
    for (const MenuItem& item : items_) {
        if (item.IsPopup()) {
            if (const MenuItem* inner = item.submenu->FindItem(id))
                return inner;
        } else if (item.id == id) {
            return &item;
        }
    }
    return nullptr;
}

MenuItem* Menu::FindItem(UINT id)
{
    return const_cast<MenuItem*>(std::as_const(*this).FindItem(id));
}

UINT Menu::GetItemID(int position) const
{
    const MenuItem* item = GetItem(position);
    return item && !item->IsPopup() ? item->id : kNoItem;
}

Menu* Menu::GetSubMenu(int position) const
{
    const MenuItem* item = GetItem(position);
    return item ? item->submenu.get() : nullptr;
}

Menu* Menu::FindPopup(UINT id) const
{
    for (const MenuItem& item : items_) {
        if (!item.IsPopup())
            continue;
        if (item.id == id)
            return item.submenu.get();
        if (Menu* inner = item.submenu->FindPopup(id))
            return inner;
    }
    return nullptr;
}

int Menu::IndexOf(UINT item, UINT flags) const
{
    if ((flags & MF_BYPOSITION) != 0)
        return item < items_.size() ? static_cast<int>(item) : -1;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (!items_[i].IsPopup() && items_[i].id == item)
            return static_cast<int>(i);
    }
    return -1;
}

MenuItem* Menu::Resolve(UINT item, UINT flags)
{
    if ((flags & MF_BYPOSITION) != 0)
        return GetItem(IndexOf(item, flags));
    return FindItem(item);
}

bool Menu::InsertItem(UINT position, UINT flags, MenuItem item)
{
    std::size_t at = items_.size();
    if ((flags & MF_BYPOSITION) != 0) {
        at = std::min<std::size_t>(position, items_.size());
    } else {
        const int index = IndexOf(position, flags);
        if (index < 0)
            return false;
        at = static_cast<std::size_t>(index);
    }
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
    return true;
}

void Menu::AppendItem(MenuItem item)
{
    items_.push_back(std::move(item));
}

void Menu::AppendString(UINT id, std::string text, UINT state)
{
    MenuItem item;
    item.id = id;
    item.text = std::move(text);
    item.state = state;
    AppendItem(std::move(item));
}

void Menu::AppendSeparator()
{
    MenuItem item;
    item.type = MFT_SEPARATOR;
    AppendItem(std::move(item));
}

void Menu::AppendPopup(std::string text, MenuPtr submenu)
{
    MenuItem item;
    item.text = std::move(text);
    item.submenu = std::move(submenu);
    AppendItem(std::move(item));
}

bool Menu::RemoveItem(UINT item, UINT flags)
{
    const int index = IndexOf(item, flags);
    if (index < 0)
        return false;
    items_.erase(items_.begin() + index);
    return true;
}

bool Menu::SetDefaultItem(UINT item, bool byPosition)
{
    const UINT flags = byPosition ? MF_BYPOSITION : MF_BYCOMMAND;
    const int index = item == kNoItem ? -1 : IndexOf(item, flags);
    if (item != kNoItem && index < 0)
        return false;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (static_cast<int>(i) == index)
            items_[i].state |= MFS_DEFAULT;
        else
            items_[i].state &= ~MFS_DEFAULT;
    }
    return true;
}

UINT Menu::GetDefaultItem(bool byPosition) const
{
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if ((items_[i].state & MFS_DEFAULT) != 0)
            return byPosition ? static_cast<UINT>(i) : items_[i].id;
    }
    return kNoItem;
}

bool Menu::EnableItem(UINT item, UINT flags, bool enabled)
{
    MenuItem* found = Resolve(item, flags);
    if (!found)
        return false;
    found->state = enabled ? (found->state & ~MFS_GRAYED) : (found->state | MFS_GRAYED);
    return true;
}

bool Menu::CheckItem(UINT item, UINT flags, bool checked)
{
    MenuItem* found = Resolve(item, flags);
    if (!found)
        return false;
    found->state = checked ? (found->state | MFS_CHECKED) : (found->state & ~MFS_CHECKED);
    return true;
}

bool Menu::SetItemBitmaps(UINT item, UINT flags, const QImage& unchecked, const QImage& checked)
{
    MenuItem* found = Resolve(item, flags);
    if (found == nullptr)
        return false;
    found->uncheckedMark = unchecked;
    found->checkedMark = checked;
    return true;
}

MenuPtr Menu::Clone() const
{
    auto copy = std::make_unique<Menu>();
    for (const MenuItem& item : items_) {
        MenuItem twin;
        twin.type = item.type;
        twin.state = item.state;
        twin.id = item.id;
        twin.text = item.text;
        twin.checkedMark = item.checkedMark;
        twin.uncheckedMark = item.uncheckedMark;
        if (item.submenu)
            twin.submenu = item.submenu->Clone();
        copy->AppendItem(std::move(twin));
    }
    return copy;
}

MenuPtr CreatePopupMenu()
{
    return std::make_unique<Menu>();
}

namespace {

// One line of menu text split into words; a quoted text is one word
// (without its quotes, \" and \\ unescaped).
struct Line {
    std::vector<std::string> words;
    std::vector<bool> quoted;
};

std::optional<Line> SplitLine(std::string_view text)
{
    Line line;
    std::size_t i = 0;
    while (i < text.size()) {
        if (std::isspace(static_cast<unsigned char>(text[i]))) {
            ++i;
        } else if (text[i] == '"') {
            std::string word;
            ++i;
            while (i < text.size() && text[i] != '"') {
                if (text[i] == '\\' && i + 1 < text.size())
                    ++i;
                word += text[i++];
            }
            if (i == text.size())
                return std::nullopt; // unterminated text
            ++i;
            line.words.push_back(std::move(word));
            line.quoted.push_back(true);
        } else {
            const std::size_t start = i;
            while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])))
                ++i;
            line.words.emplace_back(text.substr(start, i - start));
            line.quoted.push_back(false);
        }
    }
    return line;
}

std::optional<UINT> ParseId(const std::string& word)
{
    if (word.empty() || word.size() > 9)
        return std::nullopt;
    UINT value = 0;
    for (char c : word) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        value = value * 10 + static_cast<UINT>(c - '0');
    }
    return value;
}

std::optional<UINT> ParseStates(const Line& line, std::size_t from)
{
    UINT state = MFS_ENABLED;
    for (std::size_t i = from; i < line.words.size(); ++i) {
        const std::string& word = line.words[i];
        if (line.quoted[i])
            return std::nullopt;
        if (word == "DEFAULT")
            state |= MFS_DEFAULT;
        else if (word == "GRAYED")
            state |= MFS_GRAYED;
        else if (word == "CHECKED")
            state |= MFS_CHECKED;
        else
            return std::nullopt;
    }
    return state;
}

using MenuTable = std::map<UINT, MenuPtr>;

// Every menu of the text; nullopt when any line does not parse, so that a
// broken resource is noticed instead of yielding half a menu.
std::optional<MenuTable> ParseAll(const std::string& text)
{
    MenuTable table;
    std::vector<Menu*> open; // the menu being filled, innermost last
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string_view raw(text.data() + start, end - start);
        start = end + 1;
        const auto line = SplitLine(raw);
        if (!line)
            return std::nullopt;
        if (line->words.empty() || (!line->quoted[0] && line->words[0].front() == '#'))
            continue;
        const std::string& keyword = line->words[0];
        const std::size_t count = line->words.size();
        if (keyword == "MENU") {
            const auto id = count == 2 ? ParseId(line->words[1]) : std::nullopt;
            if (!open.empty() || !id || table.count(*id) != 0)
                return std::nullopt;
            auto menu = std::make_unique<Menu>();
            open.push_back(menu.get());
            table[*id] = std::move(menu);
        } else if (keyword == "ITEM") {
            const auto id = count >= 3 ? ParseId(line->words[1]) : std::nullopt;
            const auto state = count >= 3 ? ParseStates(*line, 3) : std::nullopt;
            if (open.empty() || !id || !line->quoted[2] || !state)
                return std::nullopt;
            open.back()->AppendString(*id, line->words[2], *state);
        } else if (keyword == "SEPARATOR") {
            const auto id = count == 2 ? ParseId(line->words[1]) : std::optional<UINT>(0);
            if (open.empty() || count > 2 || !id)
                return std::nullopt;
            MenuItem item;
            item.type = MFT_SEPARATOR;
            item.id = *id;
            open.back()->AppendItem(std::move(item));
        } else if (keyword == "POPUP") {
            const auto state = count >= 2 ? ParseStates(*line, 2) : std::nullopt;
            if (open.empty() || !line->quoted[1] || !state)
                return std::nullopt;
            MenuItem item;
            item.text = line->words[1];
            item.state = *state;
            item.submenu = std::make_unique<Menu>();
            Menu* submenu = item.submenu.get();
            open.back()->AppendItem(std::move(item));
            open.push_back(submenu);
        } else if (keyword == "END") {
            if (open.empty() || count != 1)
                return std::nullopt;
            open.pop_back();
        } else {
            return std::nullopt;
        }
    }
    if (!open.empty())
        return std::nullopt;
    return table;
}

// Each module's menus, parsed on first use and kept for the process's life.
// Like a string table the file is a resource that a static library
// registers during start-up; until it is found every call tries again. A
// file that does not parse is remembered as holding no menus.
const MenuTable* ResourceMenus(const ResourceModule& module)
{
    static std::mutex mutex;
    static std::map<std::string, std::optional<MenuTable>, std::less<>> tables;
    std::lock_guard lock(mutex);
    auto found = tables.find(module.Name());
    if (found == tables.end()) {
        QFile file(module.Path("menus.txt"));
        if (!file.open(QIODevice::ReadOnly))
            return nullptr;
        found = tables.emplace(std::string(module.Name()), ParseAll(file.readAll().toStdString())).first;
    }
    return found->second ? &*found->second : nullptr;
}

} // namespace

MenuPtr ParseMenu(const std::string& text, UINT id)
{
    const auto table = ParseAll(text);
    if (!table)
        return nullptr;
    const auto found = table->find(id);
    return found == table->end() ? nullptr : found->second->Clone();
}

MenuPtr LoadMenu(const ResourceModule& module, UINT id)
{
    const MenuTable* table = ResourceMenus(module);
    if (!table)
        return nullptr;
    const auto found = table->find(id);
    return found == table->end() ? nullptr : found->second->Clone();
}

} // namespace platform::ui
