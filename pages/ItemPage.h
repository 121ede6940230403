#pragma once
// CItemPage: what the file, folder and volume pages share. A page computes
// all its texts when it is made, from the item it is given, and keeps them;
// the controls receive them when the page is initialised. Attributes are
// shown as boxes: bitmap 1026 (empty) from the template, replaced by 1027
// (checked) for each attribute the item has.

#include "platform/com/Types.h"
#include "platform/ui/PropertySheet.h"

#include <QPixmap>

#include <map>
#include <string>

namespace pellidor {

// Attribute box controls and the bits they show.
constexpr int kIdReadOnlyBox = 1004; // 0x01
constexpr int kIdHiddenBox = 1005; // 0x02
constexpr int kIdArchiveBox = 1006; // 0x20
constexpr int kIdSystemBox = 1007; // 0x04
constexpr int kIdPageIcon = 1022;

// "1.234.567 Byte": a byte count where the template has no unit of its own.
std::string ByteText(std::uint64_t bytes);

class CItemPage : public platform::ui::PropertyPage {
    Q_OBJECT
public:
    // The text a control is given; empty for a control without one.
    std::string Text(int id) const;

protected:
    explicit CItemPage(const QString& caption);

    void SetText(int id, std::string text);
    void SetIcon(const QPixmap& icon) { icon_ = icon; }
    void SetAttributes(DWORD attributes) { attributes_ = attributes; }
    // Puts the kept texts into their controls.
    void RefreshTexts();

    void OnInitDialog() override;

private:
    std::map<int, std::string> texts_;
    QPixmap icon_;
    QPixmap checked_; // bitmap 1027, loaded with the page
    DWORD attributes_ = 0;
};

// The large picture of an icon handle, which is destroyed.
QPixmap TakeIconPixmap(HICON icon);

} // namespace pellidor
