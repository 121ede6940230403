// The main of every test binary.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

// Before each test: a new temporary directory as HOME, XDG_DATA_HOME,
// XDG_CONFIG_HOME and the place of the drive table; after it, all removed.
class IsolatedEnvironment : public testing::EmptyTestEventListener {
public:
    void OnTestStart(const testing::TestInfo&) override
    {
        dir_ = std::make_unique<QTemporaryDir>();
        const std::string root = dir_->path().toStdString();
        setenv("PELLIDOR_TEST_ROOT", root.c_str(), 1);
        setenv("HOME", root.c_str(), 1);
        setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
        setenv("PELLIDOR_DRIVES", (root + "/drives.table").c_str(), 1);
    }
    void OnTestEnd(const testing::TestInfo&) override
    {
        dir_.reset();
        unsetenv("PELLIDOR_TEST_ROOT");
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
};

} // namespace

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new IsolatedEnvironment);
    return RUN_ALL_TESTS();
}
