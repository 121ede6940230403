#include "platform/ui/AddToFavoritesDialog.h"

#include "platform/shell/ChangeNotify.h"
#include "platform/shell/ShellLink.h"
#include "platform/shell/SpecialFolders.h"
#include "platform/ui/MessageBox.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cstring>
#include <optional>
#include <string>

namespace platform::ui {

namespace {

constexpr int kRolePath = Qt::UserRole + 1;

bool IsFileName(const QString& name)
{
    return !name.isEmpty() && name != QStringLiteral(".") && name != QStringLiteral("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

// Copies `text` into `buffer` of `size` bytes, cut where it must be at the
// start of a character, never inside one.
void CopyText(const QByteArray& text, char* buffer, UINT size)
{
    qsizetype count = std::min<qsizetype>(text.size(), static_cast<qsizetype>(size) - 1);
    while (count > 0 && count < text.size() && (static_cast<unsigned char>(text[count]) & 0xC0) == 0x80)
        --count;
    std::memcpy(buffer, text.constData(), static_cast<std::size_t>(count));
    buffer[count] = '\0';
}

class AddToFavoritesDialog : public QDialog {
public:
    AddToFavoritesDialog(QWidget* owner, const QString& root, const QString& name, UINT pathSize)
        : QDialog(owner)
        , root_(root)
        , pathSize_(pathSize)
    {
        setWindowTitle(tr("Add Favorite"));
        auto* intro = new QLabel(tr("Add this item to your Favorites, under the name and in the folder chosen below."));
        intro->setWordWrap(true);
        name_ = new QLineEdit(name);
        name_->setObjectName(QStringLiteral("name"));
        folders_ = new QTreeWidget;
        folders_->setObjectName(QStringLiteral("folders"));
        folders_->setHeaderHidden(true);
        auto* newFolder = new QPushButton(tr("&New Folder..."));
        newFolder->setObjectName(QStringLiteral("newFolder"));
        buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);

        auto* form = new QFormLayout;
        form->addRow(tr("&Name:"), name_);
        auto* folderRow = new QHBoxLayout;
        auto* folderLabel = new QLabel(tr("Create &in:"));
        folderLabel->setBuddy(folders_);
        folderRow->addWidget(folderLabel);
        folderRow->addStretch();
        folderRow->addWidget(newFolder);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(intro);
        layout->addLayout(form);
        layout->addLayout(folderRow);
        layout->addWidget(folders_);
        layout->addWidget(buttons_);
        resize(420, 360);

        Fill();
        connect(name_, &QLineEdit::textChanged, this, [this] { UpdateOk(); });
        connect(folders_, &QTreeWidget::currentItemChanged, this, [this] { UpdateOk(); });
        connect(newFolder, &QPushButton::clicked, this, [this] { MakeFolder(); });
        connect(buttons_, &QDialogButtonBox::accepted, this, &AddToFavoritesDialog::accept);
        connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
        UpdateOk();
        name_->selectAll();
        name_->setFocus();
    }

    // Only a name and folder that OK would take, however it is asked; a
    // favorite kept under that name is replaced only when the user says so.
    void accept() override
    {
        if (!buttons_->button(QDialogButtonBox::Ok)->isEnabled())
            return;
        const QString link = QString::fromStdString(shell::WithLinkExtension(Path().toStdString()));
        if (QFileInfo::exists(link)
            && MessageBox(this,
                   tr("There is already a favorite named \"%1\" in this folder. Replace it?")
                       .arg(QFileInfo(link).completeBaseName())
                       .toStdString(),
                   windowTitle().toStdString(), MB_YESNO | MB_ICONQUESTION)
                != IDYES)
            return;
        QDialog::accept();
    }

    QString Name() const { return name_->text(); }
    QString Path() const
    {
        const QTreeWidgetItem* folder = folders_->currentItem();
        if (folder == nullptr || !IsFileName(Name()))
            return {};
        return folder->data(0, kRolePath).toString() + QLatin1Char('/') + Name();
    }

private:
    void Fill()
    {
        auto* top = new QTreeWidgetItem(folders_, {QFileInfo(root_).fileName()});
        top->setData(0, kRolePath, root_);
        top->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
        AddChildren(top);
        folders_->expandAll();
        folders_->setCurrentItem(top);
    }

    void AddChildren(QTreeWidgetItem* parent)
    {
        const QDir dir(parent->data(0, kRolePath).toString());
        for (const QFileInfo& info :
            dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
            AddChildren(AddFolder(parent, info.fileName()));
    }

    QTreeWidgetItem* AddFolder(QTreeWidgetItem* parent, const QString& name)
    {
        auto* item = new QTreeWidgetItem(parent, {name});
        item->setData(0, kRolePath, parent->data(0, kRolePath).toString() + QLatin1Char('/') + name);
        item->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
        return item;
    }

    void MakeFolder()
    {
        QTreeWidgetItem* parent = folders_->currentItem();
        if (parent == nullptr)
            return;
        bool ok = false;
        const QString name
            = QInputDialog::getText(this, tr("New Folder"), tr("Name of the new folder:"), QLineEdit::Normal, {}, &ok);
        if (!ok)
            return;
        const QString path = parent->data(0, kRolePath).toString() + QLatin1Char('/') + name;
        if (!IsFileName(name) || QFileInfo::exists(path) || !QDir().mkdir(path)) {
            MessageBox(this, tr("The folder \"%1\" cannot be made.").arg(name).toStdString(),
                windowTitle().toStdString(), MB_OK | MB_ICONERROR);
            return;
        }
        QTreeWidgetItem* item = AddFolder(parent, name);
        parent->setExpanded(true);
        folders_->setCurrentItem(item);
    }

    void UpdateOk()
    {
        const QString path = Path();
        const bool fits = !path.isEmpty() && static_cast<std::size_t>(path.toUtf8().size()) < pathSize_;
        buttons_->button(QDialogButtonBox::Ok)->setEnabled(fits);
    }

    QString root_;
    UINT pathSize_;
    QLineEdit* name_ = nullptr;
    QTreeWidget* folders_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

} // namespace

HRESULT DoAddToFavDlg(HWND owner, char* path, UINT pathSize, char* title, UINT titleSize, LPCITEMIDLIST favorites)
{
    if (path == nullptr || pathSize == 0 || title == nullptr || titleSize == 0 || favorites == nullptr)
        return E_INVALIDARG;
    const std::optional<std::string> root = shell::PathFromIdList(shell::IdListBytes(favorites));
    if (!root || !QFileInfo(QString::fromStdString(*root)).isDir())
        return E_INVALIDARG;
    const QString name = QString::fromUtf8(title, static_cast<qsizetype>(::strnlen(title, titleSize)));
    AddToFavoritesDialog dialog(owner, QString::fromStdString(*root), name, pathSize);
    if (dialog.exec() != QDialog::Accepted)
        return S_FALSE;
    CopyText(dialog.Path().toUtf8(), path, pathSize);
    CopyText(dialog.Name().toUtf8(), title, titleSize);
    return S_OK;
}

} // namespace platform::ui
