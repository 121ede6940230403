#pragma once
// Property sheets: a modal window with one tab per page and the buttons OK,
// Cancel and Apply. Each page is a widget built from a dialog template
// (geometry in dialog units, converted when the page is added); the sheet
// takes the size of its largest page. Knows nothing of what the pages show.
//
// A page fills its controls in OnInitDialog, called once for every page
// before the sheet appears, so each page's controls hold their texts whether
// its tab was opened or not. OK and Apply call OnApply of every page that
// reported a change (SetModified); a page that answers false keeps the
// sheet open on its tab. Cancel closes without applying.

#include "platform/com/Types.h"

#include <QDialog>
#include <QIcon>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class QDialogButtonBox;
class QPushButton;
class QTabWidget;

namespace platform::ui {

// The caption is the title as it is, or "<title> Properties".
constexpr DWORD PSH_DEFAULT = 0x0;
constexpr DWORD PSH_PROPTITLE = 0x1;

// "<name> Properties", the caption of an item's property sheet.
QString PropertiesTitle(const QString& name);

class PropertySheet;

class PropertyPage : public QWidget {
    Q_OBJECT
public:
    // The tab shows `caption` and, when it has one, the page's window icon.
    explicit PropertyPage(const QString& caption);
    ~PropertyPage() override;

    QString Caption() const { return caption_; }
    // The sheet the page was added to; null before.
    PropertySheet* Sheet() const { return sheet_; }

    // Enables the sheet's Apply button; OnApply runs on OK or Apply.
    void SetModified(bool modified = true);
    bool IsModified() const { return modified_; }

protected:
    // Fills the controls; called once, before the sheet is shown.
    virtual void OnInitDialog() { }
    // Stores the page's changes; false keeps the sheet open.
    virtual bool OnApply() { return true; }

private:
    friend class PropertySheet;
    QString caption_;
    PropertySheet* sheet_ = nullptr;
    bool initialised_ = false;
    bool modified_ = false;
};

class PropertySheet : public QDialog {
    Q_OBJECT
public:
    PropertySheet(const QString& title, QWidget* owner, DWORD flags = PSH_PROPTITLE);
    ~PropertySheet() override;

    // Adds a page whose geometry is still in dialog units, as its template
    // set it up, and converts it; the sheet owns the page.
    void AddPage(std::unique_ptr<PropertyPage> page);
    int PageCount() const;
    PropertyPage* Page(int index) const;
    void SetActivePage(int index);
    PropertyPage* ActivePage() const;

    // Initialises every page and shows the sheet modally; QDialog::Accepted
    // after OK.
    int DoModal();

    QPushButton* OkButton() const;
    QPushButton* CancelButton() const;
    QPushButton* ApplyButton() const;

    void accept() override;

private:
    friend class PropertyPage;
    void InitialisePages();
    // Applies every modified page; false (and that page's tab shown) when
    // one refuses.
    bool ApplyPages();
    void UpdateApply();

    QTabWidget* tabs_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
    std::vector<PropertyPage*> pages_; // owned by tabs_ as Qt children
};

} // namespace platform::ui
