// Setup as a user meets it: the command line, the wizard's pages, buttons
// and branches, driven by clicks through the real program start, and what
// it leaves on the machine.

#include "platform/registry/Registry.h"
#include "platform/system/File.h"
#include "platform/system/Paths.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/MessageBox.h"
#include "setup/Installer.h"
#include "setup/RuntimeCheck.h"
#include "setup/SetupPages.h"
#include "setup/SetupProgram.h"
#include "setup/SetupSheet.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <functional>
#include <map>

namespace pellidor::test {
namespace {

using platform::registry::Hive;
using platform::registry::Key;
using setup::CSetupSheet;

const std::string kShelf = "{4C7D2A90-83B1-4E6F-9D25-7A0C3E5B8F14}";

// Every key of the three roots with its values, as "root\path" → the
// values' names, types and bytes; a key without values maps to "".
using RegistryDump = std::map<std::string, std::string>;

void DumpKey(Hive hive, const std::string& label, const std::string& path, RegistryDump& dump)
{
    Key key;
    if (key.Open(hive, path) != 0)
        return;
    std::string values;
    std::string name;
    for (DWORD i = 0; key.EnumValue(i, name) == 0; ++i) {
        DWORD type = 0;
        DWORD size = 0;
        key.QueryValue(name, &type, nullptr, &size);
        std::string bytes(size, '\0');
        key.QueryValue(name, &type, bytes.data(), &size);
        values += name + "=" + std::to_string(type) + ":" + bytes.substr(0, size) + ";";
    }
    dump[label + "\\" + path] = values;
    for (DWORD i = 0; key.EnumKey(i, name) == 0; ++i)
        DumpKey(hive, label, path.empty() ? name : path + "\\" + name, dump);
}

RegistryDump DumpRegistry()
{
    RegistryDump dump;
    DumpKey(Hive::ClassesRoot, "HKCR", "", dump);
    DumpKey(Hive::LocalMachine, "HKLM", "", dump);
    DumpKey(Hive::CurrentUser, "HKCU", "", dump);
    return dump;
}

// Every file and folder below the test's root with its size and time.
std::map<QString, QString> DumpFiles()
{
    std::map<QString, QString> files;
    QDirIterator it(QString::fromStdString(TestRoot()),
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry(it.next());
        files[entry.filePath()] = QString::number(entry.size()) + QLatin1Char(' ')
            + QString::number(entry.lastModified().toMSecsSinceEpoch());
    }
    return files;
}

void Click(CSetupSheet& sheet, QWizard::WizardButton which)
{
    QAbstractButton* button = sheet.button(which);
    ASSERT_TRUE(button->isVisible() && button->isEnabled()) << "button " << which << " on page " << sheet.currentId();
    QTest::mouseClick(button, Qt::LeftButton);
}

template <typename T>
T* Control(CSetupSheet& sheet, const char* name)
{
    return sheet.currentPage()->findChild<T*>(QString::fromLatin1(name));
}

QString Shown(CSetupSheet& sheet, const char* name)
{
    const auto* label = Control<QLabel>(sheet, name);
    return label != nullptr ? label->text() : QStringLiteral("<no control>");
}

class SetupWizardTest : public testing::Test {
protected:
    using Drive = std::function<void(CSetupSheet&)>;

    void SetUp() override
    {
        source_ = TestRoot() + "/source";
        WriteFile(TestPath("source/Pellidor.so"), "library");
        WriteFile(TestPath("source/Setup"), "#!/bin/sh\n");
        QFile::setPermissions(QString::fromStdString(source_ + "/Setup"),
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        platform::ui::SetMessageBoxHook([this](std::string_view text, std::string_view, UINT type) {
            boxes_.push_back({std::string(text), type});
            return platform::ui::IDOK_;
        });
    }

    void TearDown() override { platform::ui::SetMessageBoxHook(nullptr); }

    // Runs Setup's start with `arguments`; `drive` acts on the wizard once it
    // is shown and must end it.
    int RunSetup(
        const QStringList& arguments, const Drive& drive, const QVersionNumber& runtime = setup::BuiltRuntimeVersion())
    {
        bool driven = false;
        QTimer poll;
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* sheet = qobject_cast<CSetupSheet*>(QApplication::activeModalWidget());
            if (sheet == nullptr || driven)
                return;
            driven = true;
            poll.stop();
            drive(*sheet);
            if (sheet->isVisible()) {
                ADD_FAILURE() << "the wizard is still open on page " << sheet->currentId();
                sheet->reject();
            }
        });
        poll.start();
        return setup::RunSetupProgram(arguments, source_, runtime);
    }

    // An installation clicked through with the choices the options page
    // shows; `onOptions` may change them first.
    int Install(const Drive& onOptions = {}, int expectedResult = CSetupSheet::kInstalledPage)
    {
        return RunSetup({}, [&](CSetupSheet& sheet) {
            EXPECT_EQ(sheet.currentId(), CSetupSheet::kWelcomePage);
            Click(sheet, QWizard::NextButton);
            EXPECT_EQ(sheet.currentId(), CSetupSheet::kOptionsPage);
            if (onOptions)
                onOptions(sheet);
            Click(sheet, QWizard::NextButton);
            EXPECT_EQ(sheet.currentId(), expectedResult);
            Click(sheet, QWizard::FinishButton);
        });
    }

    int Uninstall(const QString& option = QStringLiteral("/uninstall"), bool deleteCatalogs = false,
        int expectedResult = CSetupSheet::kUninstalledPage)
    {
        return RunSetup({option}, [&](CSetupSheet& sheet) {
            EXPECT_EQ(sheet.currentId(), CSetupSheet::kUninstallPage);
            auto* box = Control<QCheckBox>(sheet, "id1004");
            EXPECT_FALSE(box->isChecked());
            if (deleteCatalogs)
                QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
            Click(sheet, QWizard::NextButton);
            EXPECT_EQ(sheet.currentId(), expectedResult);
            Click(sheet, QWizard::FinishButton);
        });
    }

    std::string Target(const char* name) const { return platform::system::SystemDirectory() + "/ShellExt/" + name; }

    std::string source_;
    std::vector<std::pair<std::string, UINT>> boxes_;
};

// The command line: the option in any letter case, or the Linux spelling;
// nothing else, not even the option with a blank after it.
struct CommandLineCase {
    QStringList arguments;
    setup::SetupMode mode;
};

class SetupCommandLine : public testing::TestWithParam<CommandLineCase> { };

TEST_P(SetupCommandLine, ChoosesTheModeOrRefuses)
{
    EXPECT_EQ(setup::ModeOf(GetParam().arguments), GetParam().mode);
}

using setup::SetupMode;
INSTANTIATE_TEST_SUITE_P(Arguments, SetupCommandLine,
    testing::Values(CommandLineCase{{}, SetupMode::Install},
        CommandLineCase{{QStringLiteral("/uninstall")}, SetupMode::Uninstall},
        CommandLineCase{{QStringLiteral("/UNINSTALL")}, SetupMode::Uninstall},
        CommandLineCase{{QStringLiteral("/UnInStAlL")}, SetupMode::Uninstall},
        CommandLineCase{{QStringLiteral("--uninstall")}, SetupMode::Uninstall},
        CommandLineCase{{QStringLiteral("/uninstall ")}, SetupMode::Refused},
        CommandLineCase{{QStringLiteral(" /uninstall")}, SetupMode::Refused},
        CommandLineCase{{QStringLiteral("/uninstal")}, SetupMode::Refused},
        CommandLineCase{{QStringLiteral("uninstall")}, SetupMode::Refused},
        CommandLineCase{{QStringLiteral("/uninſtall")}, SetupMode::Refused},
        CommandLineCase{{QStringLiteral("/uninstall"), QStringLiteral("/uninstall")}, SetupMode::Refused},
        CommandLineCase{{QString()}, SetupMode::Refused},
        CommandLineCase{{QStringLiteral("/install")}, SetupMode::Refused}));

TEST_F(SetupWizardTest, RefusedCommandLineSaysSoWithTheStopIconAndTouchesNothing)
{
    const auto files = DumpFiles();
    for (const QString& argument : {QStringLiteral("/uninstall "), QStringLiteral("install")}) {
        boxes_.clear();
        EXPECT_EQ(RunSetup({argument}, [](CSetupSheet&) { ADD_FAILURE() << "the wizard was shown"; }), 2);
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].first, "Unknown or invalid parameter");
        EXPECT_EQ(boxes_[0].second & 0xF0, platform::ui::MB_ICONERROR);
    }
    // Not even the registry's database was opened, let alone written.
    EXPECT_EQ(DumpFiles(), files);
}

TEST_F(SetupWizardTest, OptionInCapitalsStartsTheUninstallWithoutBackOrClose)
{
    EXPECT_EQ(RunSetup({QStringLiteral("/UNINSTALL")},
                  [](CSetupSheet& sheet) {
                      EXPECT_EQ(sheet.currentId(), CSetupSheet::kUninstallPage);
                      EXPECT_FALSE(sheet.button(QWizard::BackButton)->isVisible());
                      EXPECT_TRUE(sheet.button(QWizard::NextButton)->isVisible());
                      Click(sheet, QWizard::CancelButton);
                  }),
        1);
}

TEST_F(SetupWizardTest, SheetAndPagesFollowTheirTemplates)
{
    setup::CInstaller installer(source_);
    CSetupSheet sheet(installer);
    EXPECT_EQ(sheet.windowTitle(), QStringLiteral("Pellidor Setup"));
    EXPECT_FALSE(sheet.windowIcon().isNull());
    for (int id = CSetupSheet::kWelcomePage; id <= CSetupSheet::kCannotInstallPage; ++id) {
        QWizardPage* page = sheet.page(id);
        ASSERT_NE(page, nullptr) << id;
        EXPECT_EQ(page->size(), platform::ui::MapDialogSize(page->font(), {300, 137})) << id;
        const auto* picture = page->findChild<QLabel*>(QStringLiteral("bitmap131"));
        ASSERT_NE(picture, nullptr) << id;
        EXPECT_FALSE(picture->pixmap().isNull()) << id;
        for (const QLabel* bold : page->findChildren<QLabel*>(QRegularExpression(QStringLiteral("^id101[01]$"))))
            EXPECT_EQ(bold->font().weight(), QFont::Bold) << id;
    }
    const auto* link = sheet.page(CSetupSheet::kInstalledPage)->findChild<QLabel*>(QStringLiteral("id1043"));
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->text().startsWith(QStringLiteral("https://")));
}

TEST_F(SetupWizardTest, OnlyCheckedPlaceIsDisabledUntilTheOtherIsChecked)
{
    EXPECT_EQ(Install([](CSetupSheet& sheet) {
        auto* myComputer = Control<QCheckBox>(sheet, "id1000");
        auto* desktop = Control<QCheckBox>(sheet, "id1001");
        // A first installation: the Desktop alone, which cannot be cleared.
        EXPECT_TRUE(desktop->isChecked());
        EXPECT_FALSE(desktop->isEnabled());
        EXPECT_FALSE(myComputer->isChecked());
        QTest::mouseClick(desktop, Qt::LeftButton, {}, QPoint(4, desktop->height() / 2));
        EXPECT_TRUE(desktop->isChecked()) << "a disabled box does not change";
        QTest::mouseClick(myComputer, Qt::LeftButton, {}, QPoint(4, myComputer->height() / 2));
        EXPECT_TRUE(desktop->isEnabled());
        EXPECT_TRUE(myComputer->isEnabled());
        QTest::mouseClick(desktop, Qt::LeftButton, {}, QPoint(4, desktop->height() / 2));
        EXPECT_FALSE(desktop->isChecked());
        EXPECT_FALSE(myComputer->isEnabled()) << "now My Computer is the only place";
        // Leaving and coming back applies the rule to what was chosen.
        Click(sheet, QWizard::BackButton);
        Click(sheet, QWizard::NextButton);
        EXPECT_TRUE(myComputer->isChecked());
        EXPECT_FALSE(myComputer->isEnabled());
        EXPECT_TRUE(desktop->isEnabled());
    }),
        0);
    setup::CInstaller again(source_);
    EXPECT_TRUE(again.State().iconInMyComputer);
    EXPECT_FALSE(again.State().iconOnDesktop);
}

TEST(CatalogDirectoryOf, DropsTrailingSeparatorsButKeepsTheRoot)
{
    EXPECT_EQ(setup::CatalogDirectoryOf("/home/ann/Discs/"), "/home/ann/Discs");
    EXPECT_EQ(setup::CatalogDirectoryOf("/home/ann/Discs///"), "/home/ann/Discs");
    EXPECT_EQ(setup::CatalogDirectoryOf("/home/ann/Discs"), "/home/ann/Discs");
    EXPECT_EQ(setup::CatalogDirectoryOf("//"), "/");
    EXPECT_EQ(setup::CatalogDirectoryOf("/"), "/");
}

TEST_F(SetupWizardTest, BrowseSetsTheChosenDirectoryWithoutTrailingSeparator)
{
    const std::string chosen = TestRoot() + "/media shelf";
    QDir().mkpath(QString::fromStdString(chosen + "/inner"));
    const auto choose = [](const QString& typed, bool confirm) {
        QTimer::singleShot(0, [typed, confirm] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Select Pellidor catalog directory"));
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            name->setText(typed);
            if (confirm)
                QTest::keyClick(name, Qt::Key_Return);
            else
                dialog->reject();
        });
    };
    EXPECT_EQ(Install([&](CSetupSheet& sheet) {
        auto* browse = Control<QAbstractButton>(sheet, "id1003");
        choose(QString::fromStdString(chosen + "/inner/"), false);
        QTest::mouseClick(browse, Qt::LeftButton);
        EXPECT_EQ(Control<QLabel>(sheet, "id1002")->toolTip().toStdString(), TestRoot() + "/Pellidor")
            << "Cancel changes nothing";
        choose(QString::fromStdString(chosen + "/"), true);
        QTest::mouseClick(browse, Qt::LeftButton);
        EXPECT_EQ(Control<QLabel>(sheet, "id1002")->toolTip().toStdString(), chosen);
        // A path longer than the line keeps both ends, and the tip has it whole.
        const std::string deep = chosen + "/inner" + std::string(40, 'x') + "/" + std::string(40, 'y');
        QDir().mkpath(QString::fromStdString(deep));
        choose(QString::fromStdString(deep), true);
        QTest::mouseClick(browse, Qt::LeftButton);
        const auto* line = Control<QLabel>(sheet, "id1002");
        EXPECT_EQ(line->toolTip().toStdString(), deep);
        EXPECT_TRUE(line->text().startsWith(QString::fromStdString(deep.substr(0, 5)))) << line->text().toStdString();
        EXPECT_TRUE(line->text().endsWith(QStringLiteral("yyyy")));
        EXPECT_LE(line->fontMetrics().horizontalAdvance(line->text()), line->contentsRect().width());
        choose(QString::fromStdString(chosen), true);
        QTest::mouseClick(browse, Qt::LeftButton);
    }),
        0);
    EXPECT_EQ(setup::CInstaller(source_).State().catalogDirectory, chosen);
}

TEST_F(SetupWizardTest, RestartNoticeOnlyWhenTheLibraryInUseWaitsForTheNextStart)
{
    const auto notice = [](bool expected) {
        return [expected](CSetupSheet& sheet) {
            Click(sheet, QWizard::NextButton);
            Click(sheet, QWizard::NextButton);
            EXPECT_EQ(sheet.currentId(), CSetupSheet::kInstalledPage);
            EXPECT_EQ(Control<QLabel>(sheet, "id1012")->isVisible(), expected);
            EXPECT_EQ(Control<QLabel>(sheet, "id1013")->isVisible(), expected);
            EXPECT_EQ(
                Shown(sheet, "id1013"), QStringLiteral("You must restart the explorer to activate the new version."));
            Click(sheet, QWizard::FinishButton);
        };
    };
    EXPECT_EQ(RunSetup({}, notice(false)), 0);
    // A running explorer holds the installed library.
    platform::system::File inUse;
    ASSERT_TRUE(inUse.Open(Target("Pellidor.so"), platform::system::File::Mode::Read));
    EXPECT_EQ(RunSetup({}, notice(true)), 0);
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(Target("Pellidor.001"))));
}

// Each result page, how it is reached, and whether it reports success.
struct ResultCase {
    const char* name;
    int page;
    std::function<void()> arrange;
    QStringList arguments;
    QVersionNumber runtime;
};

class SetupResultPages : public SetupWizardTest, public testing::WithParamInterface<ResultCase> { };

TEST_P(SetupResultPages, OfferCloseOnlyAndEndTheProgram)
{
    const ResultCase& result = GetParam();
    if (result.arrange)
        result.arrange();
    const int status = RunSetup(
        result.arguments,
        [&](CSetupSheet& sheet) {
            if (auto* deleteCatalogs = Control<QCheckBox>(sheet, "id1004"))
                QTest::mouseClick(deleteCatalogs, Qt::LeftButton, {}, QPoint(4, deleteCatalogs->height() / 2));
            while (sheet.currentId() != result.page && sheet.button(QWizard::NextButton)->isVisible())
                Click(sheet, QWizard::NextButton);
            ASSERT_EQ(sheet.currentId(), result.page);
            EXPECT_EQ(sheet.button(QWizard::FinishButton)->text(), QStringLiteral("Close"));
            EXPECT_TRUE(sheet.button(QWizard::FinishButton)->isVisible());
            EXPECT_FALSE(sheet.button(QWizard::CancelButton)->isVisible());
            EXPECT_FALSE(sheet.button(QWizard::BackButton)->isVisible());
            EXPECT_FALSE(sheet.button(QWizard::NextButton)->isVisible());
            Click(sheet, QWizard::FinishButton);
        },
        result.runtime);
    const bool succeeded = result.page == CSetupSheet::kInstalledPage || result.page == CSetupSheet::kUninstalledPage;
    EXPECT_EQ(status, succeeded ? 0 : 1);
}

void BreakCatalogDirectory()
{
    Key key;
    ASSERT_EQ(key.Create(Hive::LocalMachine, setup::kCatDirKey), 0);
    ASSERT_EQ(key.SetString("", TestRoot() + "/no such parent/catalogs"), 0);
}

void BreakTrash()
{
    // Catalogs to delete, and no Trash to move them to.
    WriteFile(TestPath("Pellidor/00000001.pld"), "PD");
    WriteFile(platform::system::PlatformDataDirectory() + "/../Trash", "not a folder");
}

const QVersionNumber kBuilt = setup::BuiltRuntimeVersion();

INSTANTIATE_TEST_SUITE_P(Pages, SetupResultPages,
    testing::Values(ResultCase{"Installed", CSetupSheet::kInstalledPage, {}, {}, kBuilt},
        ResultCase{"InstallFailed", CSetupSheet::kInstallFailedPage, BreakCatalogDirectory, {}, kBuilt},
        ResultCase{"Uninstalled", CSetupSheet::kUninstalledPage, {}, {QStringLiteral("/uninstall")}, kBuilt},
        ResultCase{
            "UninstallFailed", CSetupSheet::kUninstallFailedPage, BreakTrash, {QStringLiteral("/uninstall")}, kBuilt},
        ResultCase{"CannotInstall", CSetupSheet::kCannotInstallPage, {}, {}, QVersionNumber(5, 15, 2)}),
    [](const testing::TestParamInfo<ResultCase>& resultCase) { return std::string(resultCase.param.name); });

TEST_F(SetupWizardTest, FailedStepShowsTheLastFailureAndTheLaterStepsStillRan)
{
    BreakCatalogDirectory();
    const std::string lost = TestRoot() + "/no such parent/catalogs";
    EXPECT_EQ(RunSetup({},
                  [&](CSetupSheet& sheet) {
                      Click(sheet, QWizard::NextButton);
                      Click(sheet, QWizard::NextButton);
                      ASSERT_EQ(sheet.currentId(), CSetupSheet::kInstallFailedPage);
                      EXPECT_EQ(Shown(sheet, "id1005").toStdString(), "CreateDirectory: " + lost);
                      EXPECT_EQ(Shown(sheet, "id1006"), QStringLiteral("The system cannot find the path specified."));
                      Click(sheet, QWizard::FinishButton);
                  }),
        1);
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(Target("Pellidor.so"))));
    Key key;
    EXPECT_EQ(key.Open(Hive::LocalMachine, std::string(setup::kUninstallKey) + "\\Pellidor"), 0);
}

TEST_F(SetupWizardTest, UninstallFailureNamesTheCatalogsThatCouldNotGo)
{
    ASSERT_EQ(Install(), 0);
    BreakTrash();
    EXPECT_EQ(RunSetup({QStringLiteral("/uninstall")},
                  [&](CSetupSheet& sheet) {
                      auto* box = Control<QCheckBox>(sheet, "id1004");
                      QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
                      Click(sheet, QWizard::NextButton);
                      ASSERT_EQ(sheet.currentId(), CSetupSheet::kUninstallFailedPage);
                      EXPECT_EQ(Shown(sheet, "id1005").toStdString(), "RemoveFiles: " + TestRoot() + "/Pellidor/*.pld");
                      EXPECT_FALSE(Shown(sheet, "id1006").isEmpty());
                      Click(sheet, QWizard::FinishButton);
                  }),
        1);
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(TestRoot() + "/Pellidor/00000001.pld")));
}

TEST_F(SetupWizardTest, OlderQtRuntimeNamesWhatToInstall)
{
    EXPECT_TRUE(setup::RuntimeIsSufficient(kBuilt));
    EXPECT_TRUE(setup::RuntimeIsSufficient(QVersionNumber(kBuilt.majorVersion(), kBuilt.minorVersion() + 1)));
    EXPECT_TRUE(setup::RuntimeIsSufficient(QVersionNumber())) << "an unknown version does not stop it";
    EXPECT_FALSE(setup::RuntimeIsSufficient(QVersionNumber(kBuilt.majorVersion() - 1, 99)));
    const std::string text = setup::RequiredRuntimeText();
    EXPECT_EQ(text, "Qt " + kBuilt.toString().toStdString() + " runtime libraries (libqt6widgets6) or newer");
    const auto files = DumpFiles();
    EXPECT_EQ(RunSetup(
                  {},
                  [&](CSetupSheet& sheet) {
                      EXPECT_EQ(sheet.currentId(), CSetupSheet::kCannotInstallPage);
                      EXPECT_EQ(Shown(sheet, "id1010").toStdString(), text);
                      Click(sheet, QWizard::FinishButton);
                  },
                  QVersionNumber(kBuilt.majorVersion() - 1, 99)),
        1);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(Target("Pellidor.so"))));
}

TEST_F(SetupWizardTest, InstallThenUninstallLeavesTheRegistryAsItWasButTheApproval)
{
    const RegistryDump before = DumpRegistry();
    ASSERT_EQ(Install(), 0);
    const std::string uninstaller = Target("pldinst.dll");
    EXPECT_EQ(ReadFile(uninstaller), ReadFile(source_ + "/Setup"));
    EXPECT_TRUE(QFileInfo(QString::fromStdString(uninstaller)).isExecutable()) << "the uninstaller must run";
    Key entry;
    std::string command;
    ASSERT_EQ(entry.Open(Hive::LocalMachine, std::string(setup::kUninstallKey) + "\\Pellidor"), 0);
    ASSERT_EQ(entry.QueryString("UninstallString", command, 4096), 0);
    EXPECT_EQ(command, uninstaller + " /uninstall");

    ASSERT_EQ(Uninstall(), 0);
    const RegistryDump after = DumpRegistry();
    for (const auto& [key, values] : before)
        EXPECT_EQ(after.count(key), 1u) << key << " was removed";
    for (const auto& [key, values] : after) {
        const auto earlier = before.find(key);
        if (key == "HKLM\\" + std::string(setup::kApprovedKey)) {
            const std::string approval = kShelf + "=1:Pellidor" + std::string(1, '\0') + ";";
            EXPECT_EQ(values, (earlier != before.end() ? earlier->second : "") + approval);
        } else if (earlier != before.end()) {
            EXPECT_EQ(values, earlier->second) << key;
        } else {
            // The keys above the removed entries stay, empty.
            EXPECT_EQ(values, "") << key << " is left with values";
        }
    }
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(Target("Pellidor.so")))) << "program files stay";
}

TEST_F(SetupWizardTest, SecondInstallationKeepsTheFirstsChoicesAndChangesNothingElse)
{
    ASSERT_EQ(Install([](CSetupSheet& sheet) {
        auto* myComputer = Control<QCheckBox>(sheet, "id1000");
        QTest::mouseClick(myComputer, Qt::LeftButton, {}, QPoint(4, myComputer->height() / 2));
    }),
        0);
    const RegistryDump first = DumpRegistry();
    ASSERT_EQ(Install([](CSetupSheet& sheet) {
        EXPECT_TRUE(Control<QCheckBox>(sheet, "id1000")->isChecked());
        EXPECT_TRUE(Control<QCheckBox>(sheet, "id1001")->isChecked());
    }),
        0);
    EXPECT_EQ(DumpRegistry(), first);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(SetupWizardTest, UninstallingTwiceIsHarmless)
{
    ASSERT_EQ(Install(), 0);
    ASSERT_EQ(Uninstall(QStringLiteral("--uninstall")), 0);
    const RegistryDump once = DumpRegistry();
    EXPECT_EQ(Uninstall(), 0);
    EXPECT_EQ(DumpRegistry(), once);
    EXPECT_TRUE(boxes_.empty()) << boxes_.front().first;
}

TEST_F(SetupWizardTest, CancelOnTheOptionsPageChangesNothing)
{
    const RegistryDump before = DumpRegistry();
    EXPECT_EQ(RunSetup({},
                  [](CSetupSheet& sheet) {
                      Click(sheet, QWizard::NextButton);
                      Click(sheet, QWizard::CancelButton);
                  }),
        1);
    EXPECT_EQ(DumpRegistry(), before);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(Target("Pellidor.so"))));
}

} // namespace
} // namespace pellidor::test
