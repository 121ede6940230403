// The platform's property sheet: caption, page sizes from dialog units, and
// which pages OK, Apply and Cancel apply.

#include "platform/ui/PropertySheet.h"
#include "platform/ui/DialogUnits.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <memory>

namespace {

using platform::ui::PropertyPage;
using platform::ui::PropertySheet;

class RecordingPage : public PropertyPage {
public:
    RecordingPage(const QString& caption, QSize dialogUnits, bool accepts = true)
        : PropertyPage(caption)
        , accepts_(accepts)
    {
        resize(dialogUnits);
    }
    int initialised = 0;
    int applied = 0;

protected:
    void OnInitDialog() override { ++initialised; }
    bool OnApply() override
    {
        ++applied;
        return accepts_;
    }

private:
    bool accepts_;
};

struct Pages {
    RecordingPage* small;
    RecordingPage* large;
};

Pages AddTwo(PropertySheet& sheet, bool largeAccepts = true)
{
    auto small = std::make_unique<RecordingPage>(QStringLiteral("Small"), QSize(100, 50));
    auto large = std::make_unique<RecordingPage>(QStringLiteral("Large"), QSize(227, 215), largeAccepts);
    Pages pages{small.get(), large.get()};
    sheet.AddPage(std::move(small));
    sheet.AddPage(std::move(large));
    return pages;
}

// Runs `during` inside the sheet's modal loop.
int RunModal(PropertySheet& sheet, const std::function<void()>& during)
{
    QTimer::singleShot(0, &sheet, [&] {
        during();
        if (sheet.isVisible())
            sheet.reject();
    });
    return sheet.DoModal();
}

TEST(PropertySheetTest, CaptionIsThePropertiesTitleOfTheName)
{
    EXPECT_EQ(PropertySheet(QStringLiteral("a.txt"), nullptr).windowTitle(), QStringLiteral("a.txt Properties"));
    EXPECT_EQ(PropertySheet(QStringLiteral("Plain"), nullptr, platform::ui::PSH_DEFAULT).windowTitle(),
        QStringLiteral("Plain"));
}

TEST(PropertySheetTest, PagesGetTheirTemplateSizeAndEveryPageIsInitialisedOnce)
{
    PropertySheet sheet(QStringLiteral("x"), nullptr);
    const Pages pages = AddTwo(sheet);
    EXPECT_EQ(pages.large->size(), platform::ui::MapDialogSize(pages.large->font(), QSize(227, 215)));
    RunModal(sheet, [&] {
        EXPECT_EQ(pages.small->initialised, 1);
        EXPECT_EQ(pages.large->initialised, 1);
        EXPECT_GE(sheet.width(), pages.large->width());
        EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
    });
    EXPECT_EQ(pages.large->initialised, 1);
}

TEST(PropertySheetTest, OkAppliesOnlyModifiedPages)
{
    PropertySheet sheet(QStringLiteral("x"), nullptr);
    const Pages pages = AddTwo(sheet);
    const int result = RunModal(sheet, [&] {
        pages.large->SetModified();
        EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
        sheet.OkButton()->click();
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(pages.small->applied, 0);
    EXPECT_EQ(pages.large->applied, 1);
}

TEST(PropertySheetTest, ApplyKeepsTheSheetOpenAndCancelAppliesNothing)
{
    PropertySheet sheet(QStringLiteral("x"), nullptr);
    const Pages pages = AddTwo(sheet);
    const int result = RunModal(sheet, [&] {
        pages.small->SetModified();
        sheet.ApplyButton()->click();
        EXPECT_TRUE(sheet.isVisible());
        EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
        pages.small->SetModified();
        sheet.CancelButton()->click();
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(pages.small->applied, 1);
}

TEST(PropertySheetTest, PageThatRefusesKeepsTheSheetOpenOnItsTab)
{
    PropertySheet sheet(QStringLiteral("x"), nullptr);
    const Pages pages = AddTwo(sheet, false);
    bool stayedOpen = false;
    RunModal(sheet, [&] {
        pages.large->SetModified();
        sheet.OkButton()->click();
        stayedOpen = sheet.isVisible();
        EXPECT_EQ(sheet.ActivePage(), pages.large);
    });
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(pages.large->applied, 1);
}

} // namespace
