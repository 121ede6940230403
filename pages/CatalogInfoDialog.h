#pragma once
// CCatalogInfoDialog: "Change Catalog Informations" (template 1032), where
// the user edits a catalog's name and content description. It only edits
// texts; the volume page stores them.

#include <QDialog>
#include <QPixmap>

#include <memory>
#include <string>

namespace Ui {
class CatalogInfoDialog;
}

namespace pellidor {

class CCatalogInfoDialog : public QDialog {
    Q_OBJECT
public:
    CCatalogInfoDialog(const std::string& name, const std::string& content, const std::string& volumeLabel,
        const QPixmap& icon, QWidget* owner);
    ~CCatalogInfoDialog() override;

    // The texts as edited.
    std::string Name() const;
    std::string Content() const;

private:
    std::unique_ptr<Ui::CatalogInfoDialog> ui_;
};

} // namespace pellidor
