#include "platform/ui/LinkLabel.h"
#include "platform/shell/Execute.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>

#include <vector>

using platform::shell::ExecuteRequest;
using platform::ui::CLinkLabel;

namespace {

class LinkLabelTest : public testing::Test {
protected:
    void SetUp() override
    {
        platform::shell::SetExecuteHook([this](const ExecuteRequest& request) {
            requests.push_back(request);
            return answer;
        });
        QFont font = parent.font();
        font.setPointSize(11);
        font.setWeight(QFont::Normal);
        parent.setFont(font);
        label = new CLinkLabel(&parent);
        label->setText(QStringLiteral("https://pellidor.example.org/faq.html"));
        label->setGeometry(10, 10, 200, 20);
        parent.show();
    }
    void TearDown() override { platform::shell::SetExecuteHook(nullptr); }

    QWidget parent;
    CLinkLabel* label = nullptr;
    std::vector<ExecuteRequest> requests;
    int answer = platform::shell::kExecuteOk;
};

TEST_F(LinkLabelTest, ClickOpensTheAddressUnderTheParent)
{
    QTest::mouseClick(label, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].file, "https://pellidor.example.org/faq.html");
    EXPECT_TRUE(requests[0].verb.empty() || requests[0].verb == "open");
    EXPECT_EQ(requests[0].owner, &parent);
    EXPECT_EQ(requests[0].show, SW_SHOWNORMAL);
}

TEST_F(LinkLabelTest, OnlyALeftPressAndReleaseOverTheLabelIsAClick)
{
    QTest::mouseClick(label, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mousePress(label, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseRelease(label, Qt::LeftButton, Qt::NoModifier, QPoint(500, 5));
    QTest::mouseRelease(label, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_TRUE(requests.empty());
}

TEST_F(LinkLabelTest, AddressThatCannotBeOpenedIsQuietlyIgnored)
{
    answer = platform::shell::SE_ERR_NOASSOC;
    QTest::mouseClick(label, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(requests.size(), 1u);
    EXPECT_TRUE(label->isVisible());
}

TEST_F(LinkLabelTest, LooksLikeALinkInTheParentsFont)
{
    const QFont font = label->font();
    EXPECT_TRUE(font.underline());
    EXPECT_EQ(font.weight(), QFont::Normal + 100);
    EXPECT_EQ(font.pointSize(), 11);
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_FALSE(label->autoFillBackground());
    EXPECT_EQ(label->alignment(), Qt::AlignLeft | Qt::AlignTop);
}

} // namespace
