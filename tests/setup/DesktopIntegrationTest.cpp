// What Setup leaves on a Linux desktop: the files' contents as the desktop's
// tools read them, the round trip that leaves the user's data directory as
// it was, and a failing step that is recorded while the others still run.

#include "setup/DesktopIntegration.h"
#include "setup/Installer.h"

#include "platform/system/Errors.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <set>

namespace pellidor::test {
namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

bool Installed(const char* tool)
{
    return !QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty();
}

// Every file and folder below `root`, relative, folders with a trailing
// "/". Left out: the platform's own state (the registry and the program
// files, which stay after an uninstall) and the MIME database that
// update-mime-database generates from the packages, which is that tool's.
std::set<std::string> Listing(const std::string& root)
{
    std::set<std::string> names;
    QDirIterator it(
        Q(root), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        std::string name = it.filePath().mid(static_cast<qsizetype>(root.size()) + 1).toStdString();
        if (name == "pellidor" || name.rfind("pellidor/", 0) == 0 || name == "mime"
            || (name.rfind("mime/", 0) == 0 && name.rfind("mime/packages", 0) != 0))
            continue;
        names.insert(it.fileInfo().isDir() ? name + "/" : name);
    }
    return names;
}

std::string Line(const std::string& content, const std::string& start)
{
    for (const std::string& line : SplitLines(content)) {
        if (line.rfind(start, 0) == 0)
            return line;
    }
    return "<none>";
}

// WriteFile, with the folders on the way made first.
void Put(const std::string& path, const std::string& content)
{
    QDir().mkpath(QFileInfo(Q(path)).absolutePath());
    WriteFile(path, content);
}

class DesktopIntegrationTest : public testing::Test {
protected:
    void SetUp() override
    {
        source_ = TestRoot() + "/my programs/bin";
        Put(source_ + "/Pellidor.so", "library");
        Put(source_ + "/Setup", "installer");
        data_ = TestRoot() + "/data";
    }

    setup::CInstaller Installer() const
    {
        setup::CInstaller installer(source_);
        installer.State().catalogDirectory = TestRoot() + "/catalogs";
        return installer;
    }

    std::string Installed(const std::string& relative) const { return ReadFile(data_ + "/" + relative); }

    static std::string Failure(const setup::CInstaller& installer)
    {
        return installer.State().actionText + ": " + installer.State().errorText;
    }

    std::string source_;
    std::string data_;
};

// A data directory as a desktop in use leaves it: other programs' entries,
// icons, types, service menus and scripts, which must all survive.
void DesktopInUse(const std::string& data)
{
    Put(data + "/applications/other.desktop", "[Desktop Entry]\nType=Application\nName=Other\nExec=other\n");
    Put(data + "/applications/mimeapps.list", "[Default Applications]\ntext/plain=other.desktop\n");
    Put(data + "/icons/hicolor/48x48/apps/other.png", "png");
    Put(data + "/mime/packages/other.xml",
        "<?xml version=\"1.0\"?>\n<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "<mime-type type=\"application/x-other\"><comment>Other</comment><glob pattern=\"*.oth\"/></mime-type>\n"
        "</mime-info>\n");
    Put(data + "/kio/servicemenus/other.desktop", "[Desktop Entry]\nType=Service\n");
    Put(data + "/nautilus/scripts/Other script", "#!/bin/sh\n");
}

struct RoundTrip {
    const char* name;
    std::function<void(const std::string&)> arrange;
};

class DesktopRoundTripTest : public DesktopIntegrationTest, public testing::WithParamInterface<RoundTrip> { };

TEST_P(DesktopRoundTripTest, UninstallLeavesTheDataDirectoryAsItWas)
{
    GetParam().arrange(data_);
    const std::string mimeApps = QFile::exists(Q(data_ + "/applications/mimeapps.list"))
        ? Installed("applications/mimeapps.list")
        : std::string();
    const std::set<std::string> before = Listing(data_);

    setup::CInstaller installer = Installer();
    ASSERT_TRUE(installer.Install()) << Failure(installer);
    for (const setup::DesktopFile& file : setup::DesktopFiles(installer.State()))
        EXPECT_EQ(Installed(file.path), file.content) << file.path;
    EXPECT_NE(Listing(data_), before);

    setup::CInstaller remover = Installer();
    ASSERT_TRUE(remover.Uninstall()) << Failure(remover);
    EXPECT_EQ(Listing(data_), before);
    if (!mimeApps.empty()) {
        EXPECT_EQ(Installed("applications/mimeapps.list"), mimeApps);
    }
    if (::pellidor::test::Installed("update-mime-database")) {
        // Run again after the package went: the database forgets the type
        // and keeps the others'.
        const std::string globs = Installed("mime/globs2");
        EXPECT_EQ(globs.find("pellidor"), std::string::npos) << globs;
        if (GetParam().name == std::string("DesktopInUse")) {
            EXPECT_NE(globs.find("application/x-other"), std::string::npos) << globs;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Desktop, DesktopRoundTripTest,
    testing::Values(
        RoundTrip{"EmptyDataDirectory", [](const std::string&) {}}, RoundTrip{"DesktopInUse", DesktopInUse}),
    [](const testing::TestParamInfo<RoundTrip>& param) { return std::string(param.param.name); });

TEST_F(DesktopIntegrationTest, InstallingTwiceReplacesTheFilesAndUninstallingTwiceIsHarmless)
{
    ASSERT_TRUE(Installer().Install());
    Put(data_ + "/applications/pellidor.desktop", "damaged");
    const QString menu = Q(data_ + "/kio/servicemenus/pellidor-add.desktop");
    QFile::setPermissions(menu, QFile::ReadOwner | QFile::WriteOwner);

    setup::CInstaller again = Installer();
    ASSERT_TRUE(again.Install()) << Failure(again);
    const std::vector<setup::DesktopFile> files = setup::DesktopFiles(again.State());
    EXPECT_EQ(Installed("applications/pellidor.desktop"), files.front().content);
    EXPECT_TRUE(QFileInfo(menu).isExecutable()) << "Dolphin skips a service menu that is not executable";
    EXPECT_TRUE(QFileInfo(Q(data_ + "/nautilus/scripts/Add to Pellidor")).isExecutable());
    EXPECT_EQ(QDir(Q(data_ + "/applications")).entryList(QDir::Files | QDir::Hidden).size(), 2)
        << "no temporary file stays behind";

    setup::CInstaller first = Installer();
    ASSERT_TRUE(first.Uninstall()) << Failure(first);
    setup::CInstaller second = Installer();
    EXPECT_TRUE(second.Uninstall()) << Failure(second);
    for (const setup::DesktopFile& file : files)
        EXPECT_FALSE(QFileInfo::exists(Q(data_ + "/" + file.path))) << file.path;
}

TEST_F(DesktopIntegrationTest, EntriesStartTheProgramsBesideSetupQuotedForTheirBlanks)
{
    // The installed library's path has blanks too.
    data_ = TestRoot() + "/my data";
    setenv("XDG_DATA_HOME", data_.c_str(), 1);
    setup::CInstaller installer = Installer();
    ASSERT_TRUE(installer.Install()) << Failure(installer);
    // The shelf on the Desktop, as its junction's identifier list in hex.
    EXPECT_EQ(Line(Installed("applications/pellidor.desktop"), "Exec="),
        "Exec=\"" + source_ + "/explorer\" 14001F00902A7D4CB1836F4E9D257A0C3E5B8F140000 %f");
    EXPECT_EQ(
        Line(Installed("applications/pellidor.desktop"), "MimeType="), "MimeType=application/x-pellidor-catalog;");
    EXPECT_EQ(Line(Installed("applications/pellidor-search.desktop"), "Exec="),
        "Exec=\"" + source_ + "/rundll32\" \"" + installer.State().targetLibrary + ",DoSearch\"");
    EXPECT_EQ(Line(Installed("kio/servicemenus/pellidor-add.desktop"), "Exec="),
        "Exec=\"" + source_ + "/pellidor\" read --gui %f");
    EXPECT_EQ(Line(Installed("nautilus/scripts/Add to Pellidor"), "pellidor="), "pellidor='" + source_ + "/pellidor'");
    for (const int size : {16, 32, 48, 128}) {
        const std::string edge = std::to_string(size);
        QImage icon;
        ASSERT_TRUE(icon.load(Q(data_ + "/icons/hicolor/" + edge + "x" + edge + "/apps/pellidor.png"))) << size;
        EXPECT_EQ(icon.size(), QSize(size, size));
    }
}

struct Quoting {
    const char* argument;
    const char* exec;
};

class ExecArgumentTest : public testing::TestWithParam<Quoting> { };

TEST_P(ExecArgumentTest, QuotesAndEscapesAsTheEntryRulesSay)
{
    EXPECT_EQ(setup::ExecArgument(GetParam().argument), GetParam().exec);
}

// The right-hand side is as it stands in the file: quoting first, then the
// string value's own escaping doubles every backslash.
INSTANTIATE_TEST_SUITE_P(Desktop, ExecArgumentTest,
    testing::Values(Quoting{"/usr/bin/explorer", "/usr/bin/explorer"}, Quoting{"/my programs/x", "\"/my programs/x\""},
        Quoting{"/a\"b", "\"/a\\\\\"b\""}, Quoting{"/a$HOME", "\"/a\\\\$HOME\""}, Quoting{"/a`b`", "\"/a\\\\`b\\\\`\""},
        Quoting{"/a\\b", "\"/a\\\\\\\\b\""}, Quoting{"/100%", "/100%%"}, Quoting{"/50% off", "\"/50%% off\""},
        Quoting{"/it's", "\"/it's\""}, Quoting{"", "\"\""}));

TEST_F(DesktopIntegrationTest, DesktopFileValidateAcceptsTheEntries)
{
    if (!::pellidor::test::Installed("desktop-file-validate"))
        GTEST_SKIP() << "desktop-file-validate is not installed (desktop-file-utils)";
    ASSERT_TRUE(Installer().Install());
    const auto validate = [](const std::string& path) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral("desktop-file-validate"), {Q(path)});
        EXPECT_TRUE(process.waitForFinished(30000));
        return std::make_pair(process.exitCode(), process.readAll().toStdString());
    };
    for (const char* entry : {"applications/pellidor.desktop", "applications/pellidor-search.desktop"}) {
        const auto [status, said] = validate(data_ + "/" + entry);
        EXPECT_EQ(status, 0) << entry << ": " << said;
        EXPECT_EQ(said, "") << entry;
    }
    // A service menu is KDE's own kind; what the tool may say of it is only
    // that its keys belong to applications.
    const auto [status, said] = validate(data_ + "/kio/servicemenus/pellidor-add.desktop");
    for (const std::string& line : SplitLines(said))
        EXPECT_NE(line.find("the type is \"Service\""), std::string::npos) << line;
}

TEST_F(DesktopIntegrationTest, CatalogFilesAreKnownByNameAndByContentWhileInstalled)
{
    ASSERT_TRUE(Installer().Install());
    QXmlStreamReader xml(QByteArray::fromStdString(Installed("mime/packages/pellidor.xml")));
    std::set<std::string> seen;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto attribute = [&](const char* name) { return xml.attributes().value(QLatin1String(name)).toString(); };
        if (xml.name() == QLatin1String("mime-type"))
            seen.insert("type " + attribute("type").toStdString());
        else if (xml.name() == QLatin1String("glob"))
            seen.insert("glob " + attribute("pattern").toStdString());
        else if (xml.name() == QLatin1String("match"))
            seen.insert("match " + attribute("offset").toStdString() + " " + attribute("value").toStdString());
        else if (xml.name() == QLatin1String("comment"))
            seen.insert("comment " + xml.readElementText().toStdString());
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(seen,
        (std::set<std::string>{
            "type application/x-pellidor-catalog", "glob *.pld", "match 0 PD", "comment Pellidor catalog"}));

    if (!::pellidor::test::Installed("update-mime-database"))
        GTEST_SKIP() << "update-mime-database is not installed (shared-mime-info)";
    Put(TestRoot() + "/files/0000ABCD.pld", "");
    Put(TestRoot() + "/files/no extension", std::string("PD\x02\0\0\0", 6) + std::string(900, '\0'));
    const auto probe = [this] {
        QProcess process;
        process.start(Q(BinDirectory() + "/mime_probe"),
            {Q(TestRoot() + "/files/0000ABCD.pld"), Q(TestRoot() + "/files/no extension")});
        EXPECT_TRUE(process.waitForFinished(30000));
        return SplitLines(process.readAllStandardOutput().toStdString());
    };
    const std::vector<std::string> known = probe();
    ASSERT_EQ(known.size(), 2u);
    EXPECT_EQ(known[0].substr(0, known[0].find(' ')), "application/x-pellidor-catalog") << "by its name";
    EXPECT_EQ(known[1], "application/x-pellidor-catalog application/x-pellidor-catalog") << "by its content";

    ASSERT_TRUE(Installer().Uninstall());
    for (const std::string& line : probe())
        EXPECT_EQ(line.find("pellidor"), std::string::npos) << line;
}

TEST_F(DesktopIntegrationTest, TheNautilusScriptReadsEachSelectedPathWholeBlanksBackslashesAndAll)
{
    // A stand-in for the program the script starts: it writes down its
    // arguments, one run a line.
    const std::string record = TestRoot() + "/runs.txt";
    Put(source_ + "/pellidor", "#!/bin/sh\nprintf '%s|' \"$@\" >> '" + record + "'\necho >> '" + record + "'\n");
    QFile::setPermissions(Q(source_ + "/pellidor"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_TRUE(Installer().Install());

    QProcess script;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("NAUTILUS_SCRIPT_SELECTED_FILE_PATHS"),
        QStringLiteral("/media/me/STICK\n/home/me/My Photos  2024 $HOME 'x'\n/home/me/a\\b \n"));
    script.setProcessEnvironment(environment);
    script.start(Q(data_ + "/nautilus/scripts/Add to Pellidor"), {});
    ASSERT_TRUE(script.waitForFinished(30000));
    EXPECT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
    EXPECT_EQ(SplitLines(ReadFile(record)),
        (std::vector<std::string>{"read|--gui|/media/me/STICK|", "read|--gui|/home/me/My Photos  2024 $HOME 'x'|",
            "read|--gui|/home/me/a\\b |"}));
}

TEST_F(DesktopIntegrationTest, AFileThatCannotBeWrittenIsRecordedAndTheOthersAreStillWritten)
{
    // Something that is not a folder where the entries go.
    Put(data_ + "/applications", "not a folder");
    setup::CInstaller installer = Installer();
    EXPECT_FALSE(installer.Install());
    EXPECT_EQ(installer.State().actionText, "WriteFile: " + data_ + "/applications/pellidor-search.desktop");
    EXPECT_EQ(installer.State().errorText, platform::system::ErrorMessage(platform::system::ErrorFromErrno(ENOTDIR)));
    EXPECT_TRUE(QFileInfo::exists(Q(data_ + "/mime/packages/pellidor.xml")));
    EXPECT_TRUE(QFileInfo::exists(Q(data_ + "/nautilus/scripts/Add to Pellidor")));

    // Nothing of ours is there to remove, which is no failure.
    setup::CInstaller remover = Installer();
    EXPECT_TRUE(remover.Uninstall()) << Failure(remover);
    EXPECT_EQ(ReadFile(data_ + "/applications"), "not a folder");
}

TEST_F(DesktopIntegrationTest, ATypeDatabaseThatCannotBeBuiltIsAFailureWithTheToolsWords)
{
    const std::string tools = TestRoot() + "/tools";
    Put(tools + "/update-mime-database", "#!/bin/sh\necho \"cannot write $1\" >&2\nexit 3\n");
    QFile::setPermissions(Q(tools + "/update-mime-database"), QFile::ReadOwner | QFile::ExeOwner);
    const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    setenv("PATH", tools.c_str(), 1);
    setup::CInstaller installer = Installer();
    const bool installed = installer.Install();
    setenv("PATH", path.c_str(), 1);
    EXPECT_FALSE(installed);
    EXPECT_EQ(installer.State().actionText, "update-mime-database: " + data_ + "/mime");
    EXPECT_EQ(installer.State().errorText, "cannot write " + data_ + "/mime");
}

TEST_F(DesktopIntegrationTest, WithoutTheDesktopsToolsInstallingStillSucceeds)
{
    const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    QDir().mkpath(Q(TestRoot() + "/empty"));
    setenv("PATH", (TestRoot() + "/empty").c_str(), 1);
    setup::CInstaller installer = Installer();
    const bool installed = installer.Install();
    setup::CInstaller remover = Installer();
    const bool removed = remover.Uninstall();
    setenv("PATH", path.c_str(), 1);
    EXPECT_TRUE(installed) << Failure(installer);
    EXPECT_TRUE(removed) << Failure(remover);
    EXPECT_FALSE(QFileInfo::exists(Q(data_ + "/mime/mime.cache"))) << "no tool ran";
}

} // namespace
} // namespace pellidor::test
