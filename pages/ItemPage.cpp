#include "pages/ItemPage.h"

#include "items/TextHelpers.h"
#include "pages/DialogControls.h"
#include "platform/ui/Icon.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <array>
#include <utility>

namespace pellidor {

namespace {

struct AttributeBox {
    int id;
    DWORD bit;
};

constexpr std::array<AttributeBox, 4> kBoxes = {{
    {kIdReadOnlyBox, 0x01},
    {kIdHiddenBox, 0x02},
    {kIdArchiveBox, 0x20},
    {kIdSystemBox, 0x04},
}};

} // namespace

std::string ByteText(std::uint64_t bytes)
{
    return FormatGroupedNumber(static_cast<std::int64_t>(bytes)) + " Byte";
}

QPixmap TakeIconPixmap(HICON icon)
{
    const platform::ui::IconPtr owned(icon);
    return owned != nullptr ? QPixmap::fromImage(owned->ToImage()) : QPixmap();
}

CItemPage::CItemPage(const QString& caption)
    : PropertyPage(caption)
    , checked_(QStringLiteral(":/pellidor/images/1027.png"))
{
}

std::string CItemPage::Text(int id) const
{
    const auto found = texts_.find(id);
    return found != texts_.end() ? found->second : std::string();
}

void CItemPage::SetText(int id, std::string text)
{
    texts_[id] = std::move(text);
}

void CItemPage::RefreshTexts()
{
    for (const auto& [id, text] : texts_) {
        const QString shown = QString::fromStdString(text);
        if (auto* label = Control<QLabel>(this, id))
            label->setText(shown);
        else if (auto* edit = Control<QLineEdit>(this, id))
            edit->setText(shown);
        else if (auto* multi = Control<QPlainTextEdit>(this, id))
            multi->setPlainText(shown);
    }
}

void CItemPage::OnInitDialog()
{
    RefreshTexts();
    if (auto* icon = Control<QLabel>(this, kIdPageIcon); icon != nullptr && !icon_.isNull())
        icon->setPixmap(icon_);
    for (const AttributeBox& box : kBoxes) {
        auto* control = Control<QLabel>(this, box.id);
        if (control != nullptr && (attributes_ & box.bit) != 0)
            control->setPixmap(checked_);
    }
}

} // namespace pellidor
