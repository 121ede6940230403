#include "pages/AboutDialog.h"
#include "pages/HowToUseDialog.h"
#include "pages/InsertMediumDialog.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/LinkLabel.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

using namespace pellidor;

namespace {

TEST(AboutDialog, VersionLineCarriesTheDateRightAlignedInThirtyCharacters)
{
    const std::string text = CAboutDialog::VersionText();
    EXPECT_EQ(text, "Pellidor Version 1.5c " + std::string(19, ' ') + "Jun  6 2001");
    CAboutDialog dialog;
    const auto* version = dialog.findChild<QLabel*>(QStringLiteral("id1044"));
    ASSERT_NE(nullptr, version);
    EXPECT_EQ(version->text().toStdString(), text);
}

// Each template's size in dialog units, as pixels of the dialog's font.
TEST(DialogTemplates, SizesFollowTheDialogFont)
{
    CAboutDialog about;
    CHowToUseDialog howTo;
    CInsertMediumDialog insert({"a.txt", "Holidays", {}}, nullptr);
    EXPECT_EQ(about.size(), platform::ui::MapDialogSize(about.font(), {254, 167}));
    EXPECT_EQ(howTo.size(), platform::ui::MapDialogSize(howTo.font(), {268, 222}));
    EXPECT_EQ(insert.size(), platform::ui::MapDialogSize(insert.font(), {247, 111}));
    // Children are placed in the same units.
    const auto* close = about.findChild<QPushButton*>(QStringLiteral("id1"));
    ASSERT_NE(nullptr, close);
    EXPECT_EQ(close->geometry(), platform::ui::MapDialogRect(about.font(), {102, 145, 50, 14}));
}

TEST(DialogTemplates, TitlesLinksAndDefaultButtons)
{
    CAboutDialog about;
    CHowToUseDialog howTo;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Pellidor"));
    EXPECT_EQ(howTo.windowTitle(), QStringLiteral("How to use Pellidor"));
    EXPECT_FALSE(about.windowIcon().isNull());
    const std::pair<QDialog*, std::vector<int>> links[] = {{&about, {1043, 1042}}, {&howTo, {1051, 1052}}};
    for (const auto& [dialog, ids] : links) {
        for (const int id : ids) {
            const auto* link = dialog->findChild<platform::ui::CLinkLabel*>(QStringLiteral("id%1").arg(id));
            ASSERT_NE(link, nullptr) << id;
            EXPECT_FALSE(link->text().isEmpty()) << id;
        }
        const auto* close = dialog->findChild<QPushButton*>(QStringLiteral("id1"));
        ASSERT_NE(close, nullptr);
        EXPECT_EQ(close->text(), QStringLiteral("Close"));
        EXPECT_TRUE(close->isDefault());
    }
    const auto* mail = about.findChild<platform::ui::CLinkLabel*>(QStringLiteral("id1042"));
    ASSERT_NE(nullptr, mail);
    EXPECT_TRUE(mail->text().startsWith(QStringLiteral("mailto:")));
}

TEST(DialogTemplates, CloseEndsTheDialog)
{
    for (QDialog* dialog : std::initializer_list<QDialog*>{new CAboutDialog, new CHowToUseDialog}) {
        const std::unique_ptr<QDialog> owned(dialog);
        dialog->show();
        auto* close = dialog->findChild<QPushButton*>(QStringLiteral("id1"));
        ASSERT_NE(nullptr, close);
        close->click();
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
    }
}

} // namespace
