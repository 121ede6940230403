#include "platform/ui/FileDialog.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QTimer>

#include <functional>

using namespace platform::ui;

namespace {

// Runs `act` on the Save As dialog once it is the active modal window.
class DialogDriver : public QObject {
public:
    explicit DialogDriver(std::function<void(QFileDialog&)> act) : act_(std::move(act))
    {
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                timer_.stop();
                act_(*dialog);
            }
        });
        timer_.start(10);
    }

private:
    std::function<void(QFileDialog&)> act_;
    QTimer timer_;
};

} // namespace

TEST(FileDialog, FiltersBecomeTheDialogsNameFilters)
{
    EXPECT_EQ(QtFileFilters("Text Files (*.txt)|*.txt|All Files (*.*)|*.*||"),
        (QStringList{QStringLiteral("Text Files (*.txt)"), QStringLiteral("All Files (*)")}));
    EXPECT_EQ(QtFileFilters("Lists|*.txt;*.csv||"), QStringList{QStringLiteral("Lists (*.txt *.csv)")});
    EXPECT_TRUE(QtFileFilters("").isEmpty());
}

TEST(FileDialog, SaveAsAnswersTheChosenPathWithTheDefaultExtension)
{
    const QString directory = QString::fromStdString(pellidor::test::TestRoot());
    QStringList filters;
    DialogDriver driver([&](QFileDialog& dialog) {
        filters = dialog.nameFilters();
        dialog.setDirectory(directory);
        dialog.selectFile(QStringLiteral("export"));
        static_cast<QDialog&>(dialog).accept(); // QFileDialog hides it, the virtual call reaches it
    });
    const auto path = GetSaveFileName(nullptr, "Text Files (*.txt)|*.txt||", "txt");
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(*path, pellidor::test::TestRoot() + "/export.txt");
    EXPECT_EQ(filters, QStringList{QStringLiteral("Text Files (*.txt)")});
}

TEST(FileDialog, CancelAnswersNothing)
{
    DialogDriver driver([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_FALSE(GetSaveFileName(nullptr, "Text Files (*.txt)|*.txt||", "txt").has_value());
}
