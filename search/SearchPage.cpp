#include "search/SearchPage.h"

#include "module/Resources.h"
#include "platform/ui/MessageBox.h"

#include <QLineEdit>

#include <limits>
#include <optional>
#include <string_view>

namespace pellidor {

namespace {

constexpr UINT kNotAnInteger = 61712;
constexpr UINT kIntegerOutOfRange = 61714;
constexpr UINT kNotPositive = 61719;
constexpr const char* kCaption = "Pellidor";

// The number an edit holds, blanks around it allowed, as a number field
// reads it; nullopt when it holds none or one past 64 bits.
std::optional<long long> NumberIn(const QLineEdit* edit)
{
    bool isNumber = false;
    const long long value = edit->text().trimmed().toLongLong(&isNumber);
    return isNumber ? std::optional<long long>(value) : std::nullopt;
}

std::string Replace(std::string text, std::string_view marker, const std::string& by)
{
    if (const auto at = text.find(marker); at != std::string::npos)
        text.replace(at, marker.size(), by);
    return text;
}

} // namespace

CSearchPage::CSearchPage(SearchCriteria& criteria, QWidget* parent) : QWidget(parent), criteria_(criteria)
{
}

void CSearchPage::showEvent(QShowEvent* event)
{
    if (!made_) {
        made_ = true;
        OnInitDialog();
    }
    QWidget::showEvent(event);
}

bool CSearchPage::SaveData()
{
    return !made_ || Exchange();
}

void CSearchPage::Refuse(QLineEdit* edit, const std::string& text)
{
    if (showPage_)
        showPage_(*this);
    platform::ui::MessageBox(window(), text, kCaption, platform::ui::MB_OK | platform::ui::MB_ICONWARNING);
    edit->setFocus();
    edit->selectAll();
}

bool CSearchPage::ReadInteger(QLineEdit* edit, int lowest, int highest, int& out)
{
    const auto value = NumberIn(edit);
    if (!value || *value < std::numeric_limits<int>::min() || *value > std::numeric_limits<int>::max()) {
        Refuse(edit, LoadString(kNotAnInteger));
        return false;
    }
    if (*value < lowest || *value > highest) {
        const std::string text = Replace(LoadString(kIntegerOutOfRange), "%1", std::to_string(lowest));
        Refuse(edit, Replace(text, "%2", std::to_string(highest)));
        return false;
    }
    out = static_cast<int>(*value);
    return true;
}

bool CSearchPage::ReadUnsigned(QLineEdit* edit, DWORD& out)
{
    const auto value = NumberIn(edit);
    if (!value || *value < 0 || *value > std::numeric_limits<DWORD>::max()) {
        Refuse(edit, LoadString(kNotPositive));
        return false;
    }
    out = static_cast<DWORD>(*value);
    return true;
}

} // namespace pellidor
