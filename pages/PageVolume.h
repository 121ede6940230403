#pragma once
// CPageVolume: the property page of a catalogued volume, the catalog itself
// (template 157): the facts recorded when the volume was read, the
// catalog's file, and its name and content, which the Settings button
// changes.

#include "pages/ItemPage.h"
#include "platform/com/ComPtr.h"

#include <memory>

namespace Ui {
class PageVolume;
}

namespace pellidor {

class CShelfItem;

class CPageVolume : public CItemPage {
    Q_OBJECT
public:
    // Holds a reference to `catalog` while it lives.
    explicit CPageVolume(CShelfItem& catalog);
    ~CPageVolume() override;

    // The Settings button: the catalog-information dialog, then the new
    // texts stored in the catalog. When storing fails the user is told why
    // and the page keeps the texts the catalog still has.
    void OnSettings();

protected:
    void OnInitDialog() override;

private:
    std::unique_ptr<Ui::PageVolume> ui_;
    platform::com::ComPtr<CShelfItem> catalog_;
    QPixmap largeIcon_;
    QPixmap smallIcon_;
};

// The "Type:" line of a volume: the file system and the drive type,
// "ext4, REMOVABLE"; either alone when the other is unknown.
std::string VolumeTypeText(const std::string& fileSystem, const std::string& driveType);

} // namespace pellidor
