#include "platform/ui/PropertySheet.h"

#include "platform/ui/DialogUnits.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace platform::ui {

QString PropertiesTitle(const QString& name)
{
    return QStringLiteral("%1 Properties").arg(name);
}

PropertyPage::PropertyPage(const QString& caption) : caption_(caption)
{
}

PropertyPage::~PropertyPage() = default;

void PropertyPage::SetModified(bool modified)
{
    modified_ = modified;
    if (sheet_ != nullptr)
        sheet_->UpdateApply();
}

PropertySheet::PropertySheet(const QString& title, QWidget* owner, DWORD flags)
    : QDialog(owner)
    , tabs_(new QTabWidget(this))
    , buttons_(new QDialogButtonBox(
          QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, Qt::Horizontal, this))
{
    setWindowTitle((flags & PSH_PROPTITLE) != 0 ? PropertiesTitle(title) : title);
    auto* layout = new QVBoxLayout(this);
    // The pages have their templates' fixed sizes; the sheet fits the
    // largest and is not resized, as a template dialog is not.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(tabs_);
    layout->addWidget(buttons_);
    OkButton()->setDefault(true);
    ApplyButton()->setEnabled(false);
    connect(buttons_, &QDialogButtonBox::accepted, this, &PropertySheet::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ApplyButton(), &QPushButton::clicked, this, [this] { ApplyPages(); });
}

PropertySheet::~PropertySheet() = default;

void PropertySheet::AddPage(std::unique_ptr<PropertyPage> page)
{
    if (page == nullptr)
        return;
    MapDialogGeometry(page.get());
    PropertyPage* raw = page.release();
    raw->sheet_ = this;
    pages_.push_back(raw);
    tabs_->addTab(raw, raw->windowIcon(), raw->caption_);
}

int PropertySheet::PageCount() const
{
    return static_cast<int>(pages_.size());
}

PropertyPage* PropertySheet::Page(int index) const
{
    return index >= 0 && index < PageCount() ? pages_[static_cast<std::size_t>(index)] : nullptr;
}

void PropertySheet::SetActivePage(int index)
{
    if (Page(index) != nullptr)
        tabs_->setCurrentIndex(index);
}

PropertyPage* PropertySheet::ActivePage() const
{
    return Page(tabs_->currentIndex());
}

int PropertySheet::DoModal()
{
    InitialisePages();
    return exec();
}

QPushButton* PropertySheet::OkButton() const
{
    return buttons_->button(QDialogButtonBox::Ok);
}

QPushButton* PropertySheet::CancelButton() const
{
    return buttons_->button(QDialogButtonBox::Cancel);
}

QPushButton* PropertySheet::ApplyButton() const
{
    return buttons_->button(QDialogButtonBox::Apply);
}

void PropertySheet::accept()
{
    if (ApplyPages())
        QDialog::accept();
}

void PropertySheet::InitialisePages()
{
    for (PropertyPage* page : pages_) {
        if (page->initialised_)
            continue;
        page->initialised_ = true;
        page->OnInitDialog();
        // An icon set while initialising belongs in the tab too.
        tabs_->setTabIcon(tabs_->indexOf(page), page->windowIcon());
    }
}

bool PropertySheet::ApplyPages()
{
    for (int i = 0; i < PageCount(); ++i) {
        PropertyPage* page = Page(i);
        if (!page->modified_)
            continue;
        if (!page->OnApply()) {
            SetActivePage(i);
            return false;
        }
        page->modified_ = false;
    }
    UpdateApply();
    return true;
}

void PropertySheet::UpdateApply()
{
    bool any = false;
    for (const PropertyPage* page : pages_)
        any = any || page->modified_;
    ApplyButton()->setEnabled(any);
}

} // namespace platform::ui
