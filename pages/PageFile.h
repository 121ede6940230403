#pragma once
// CPageFile: the property page of a catalogued file (template 130): its
// name, type, folder inside the volume, size, times and attributes, as the
// catalog recorded them.

#include "pages/ItemPage.h"

#include <memory>

namespace Ui {
class PageFile;
}

namespace pellidor {

class CCatItem;

class CPageFile : public CItemPage {
    Q_OBJECT
public:
    explicit CPageFile(CCatItem& file);
    ~CPageFile() override;

private:
    std::unique_ptr<Ui::PageFile> ui_;
};

} // namespace pellidor
