#include "platform/shell/Execute.h"
#include "platform/shell/FileInfo.h"
#include "platform/shell/TypeKey.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QMimeType>
#include <QTest>

#include <cstdlib>
#include <map>

#include <gtest/gtest.h>

using namespace platform::shell;

TEST(FileInfo, TypeNamesComeFromTheNameAloneAndUnknownGivesNothing)
{
    // The disk is never asked: none of these files exists.
    EXPECT_FALSE(GetTypeName("holiday.png", 0x80).empty());
    EXPECT_EQ(GetTypeName("holiday.png", 0x80), GetTypeName("HOLIDAY.PNG", 0x80));
    EXPECT_NE(GetTypeName("a.png", 0x80), GetTypeName("a.txt", 0x80));
    EXPECT_EQ(GetTypeName("data.nosuchextension", 0x80), "");
    EXPECT_EQ(GetTypeName("noextension", 0x80), "");
    EXPECT_FALSE(GetTypeName("folder.png", 0x10).empty());
    EXPECT_NE(GetTypeName("folder.png", 0x10), GetTypeName("folder.png", 0x80));
}

TEST(TypeKey, OnlyNamesThatExtensionGlobsAloneDecideShareAKey)
{
    const TypeKeyRules rules = TypeKeyRules::FromGlobFiles({"# comment\n"
                                                            "50:text/plain:*.txt\n"
                                                            "50:application/gzip:*.gz\n"
                                                            "50:application/x-compressed-tar:*.tar.gz\n"
                                                            "50:text/x-c++src:*.C:cs\n"
                                                            "50:text/x-makefile:makefile\n"
                                                            "10:text/x-readme:readme*\n"
                                                            "50:application/x-sharedlib:*.so.[0-9]*\n"
                                                            "50:application/x-trash:*~\n"
                                                            "50:text/troff:*.[1-9]\n"
                                                            "50:video/x-vdr:[0-9][0-9][0-9].vdr\n"
                                                            "50:text/x-log:[!a-m]*.log\n"});
    // The longest ending some extension glob names, in the name's own case
    // (some globs heed it).
    EXPECT_EQ(rules.KeyOf("notes.txt"), ".txt");
    EXPECT_EQ(rules.KeyOf("boot-8.7.29.txt"), ".txt");
    EXPECT_EQ(rules.KeyOf("a.b.tar.gz"), ".tar.gz");
    EXPECT_EQ(rules.KeyOf("a.TAR.gz"), ".TAR.gz");
    EXPECT_EQ(rules.KeyOf("a.gz"), ".gz");
    EXPECT_EQ(rules.KeyOf("main.C"), ".C");
    EXPECT_EQ(rules.KeyOf("plain"), "");
    EXPECT_EQ(rules.KeyOf("data.unknown"), "");
    // Whole names and other wildcards look past the extension: the globs
    // that match join the key by their order, case-sensitive ones by the
    // name's own case.
    EXPECT_EQ(rules.KeyOf("Makefile"), "/0");
    EXPECT_EQ(rules.KeyOf("MAKEFILE"), rules.KeyOf("makefile"));
    EXPECT_EQ(rules.KeyOf("README.txt"), ".txt/1");
    EXPECT_EQ(rules.KeyOf("readme 2.txt"), rules.KeyOf("README.txt"));
    EXPECT_EQ(rules.KeyOf("libx.so.6"), "/2/4");
    EXPECT_EQ(rules.KeyOf(".txt"), "");
    EXPECT_EQ(rules.KeyOf(".a.txt"), ".txt");
    EXPECT_EQ(rules.KeyOf("draft.txt~"), "/3");
    EXPECT_EQ(rules.KeyOf("ls.1"), "/4");
    EXPECT_EQ(rules.KeyOf("001.VDR"), "/5");
    EXPECT_EQ(rules.KeyOf("zz.log"), "/6");
    EXPECT_EQ(rules.KeyOf("readme.1"), "/1/4");
    EXPECT_EQ(rules.KeyOf("ab.vdr"), "");
    EXPECT_EQ(rules.KeyOf("ls.a"), "");
    EXPECT_EQ(rules.KeyOf("az.log"), "");
    // Characters outside ASCII match only wildcards, as any other would.
    EXPECT_EQ(rules.KeyOf("caf\xC3\xA9.txt"), ".txt");
    EXPECT_EQ(rules.KeyOf("\xC3\x9C"
                          "bersicht.TXT"),
        ".TXT");
    EXPECT_EQ(rules.KeyOf("\xC3\x9C"
                          "bersicht.log"),
        "/6");
    EXPECT_EQ(rules.KeyOf("\xF0\x9F\x98\x80.1"), "/4");
    EXPECT_EQ(rules.KeyOf("ab\xC3\xA9"), "");
    // Names the check cannot follow: paths, bytes that are not UTF-8, and
    // characters whose lower case is ASCII or two characters.
    EXPECT_EQ(rules.KeyOf("dir/a.txt"), std::nullopt);
    EXPECT_EQ(rules.KeyOf("caf\xE9.txt"), std::nullopt);
    EXPECT_EQ(rules.KeyOf("a\xC3"), std::nullopt);
    EXPECT_EQ(rules.KeyOf("\xC0\xAE.txt"), std::nullopt);
    EXPECT_EQ(rules.KeyOf("a.t\xE2\x84\xAA"), std::nullopt);
    EXPECT_EQ(rules.KeyOf("\xC4\xB0.txt"), std::nullopt);
    // Without the glob files nothing can be known.
    EXPECT_EQ(TypeKeyRules::FromGlobFiles({}).KeyOf("notes.txt"), std::nullopt);
    EXPECT_EQ(TypeKeyRules().KeyOf("notes.txt"), std::nullopt);
}

TEST(FileInfo, RememberedTypeNamesAreThoseTheDatabaseGives)
{
    // Each probe follows a name with the same extension, so a cache that
    // looked at extensions alone would answer it wrongly.
    const std::vector<std::string> names = {"a.txt", "README.txt", "b.gz", "x.tar.gz", "c.1", "libz.so.1", "notes.txt~",
        "Makefile", "makefile.am", "MAKEFILE", "n.C", "n.c", "x.ANIM3", "y.anim3", "123.vdr", "001.VDR", "noext",
        "README", "boot-8.7.29.txt", "a.b.tar.gz", "x.unknown", "y.unknown.txt",
        "ma\xE2\x84\xAA"
        "efile",
        "z.TXT", "readme 2.md", "README 3.md", "core", "Core",
        "\xC3\x9C"
        "bersicht 1.txt",
        "\xC3\x9C"
        "bersicht 2.TXT"};
    const QMimeDatabase database;
    for (int pass = 0; pass < 2; ++pass) {
        for (const std::string& name : names) {
            const QMimeType type
                = database.mimeTypeForFile(QString::fromStdString(name), QMimeDatabase::MatchExtension);
            const std::string expected = type.isDefault() ? std::string() : type.comment().toStdString();
            EXPECT_EQ(GetTypeName(name, 0x80), expected) << name;
        }
    }
}

// Every name of many made of parts that globs of several kinds see, within
// and outside ASCII: names that share a key share the database's type.
TEST(TypeKey, NamesThatShareAKeyShareTheDatabasesType)
{
    const std::vector<std::string> starts = {"", "readme", "README", "Makefile", "makefile", "core", "Core", "x", "123",
        "\xC3\x9C"
        "bersicht",
        "ma\xC3\xB1"
        "ana",
        "\xF0\x9F\x98\x80", "\xEF\xBD\x94"};
    const std::vector<std::string> middles = {"", " 1", ".so.6", ".tar", ".\xC3\xA9", "~", ".anim3", "."};
    const std::vector<std::string> ends = {"", ".txt", ".TXT", ".gz", ".1", ".C", ".c", ".vdr", ".am", "~", ".md",
        ".\xEF\xBD\x94\xEF\xBD\x98\xEF\xBD\x94", ".in"};
    const TypeKeyRules rules = TypeKeyRules::Installed();
    const QMimeDatabase database;
    std::map<std::string, std::pair<std::string, QString>> typeOfKey;
    int keyed = 0;
    for (const std::string& start : starts) {
        for (const std::string& middle : middles) {
            for (const std::string& end : ends) {
                const std::string name = start + middle + end;
                const std::optional<std::string> key = rules.KeyOf(name);
                if (name.empty() || !key)
                    continue;
                ++keyed;
                const QString type
                    = database.mimeTypeForFile(QString::fromStdString(name), QMimeDatabase::MatchExtension).name();
                const auto [found, added] = typeOfKey.try_emplace(*key, name, type);
                EXPECT_EQ(type, found->second.second) << name << " and " << found->second.first << " share " << *key;
            }
        }
    }
    // Almost every name has a key; the few without hold no such character.
    EXPECT_EQ(keyed, static_cast<int>(starts.size() * middles.size() * ends.size()) - 1);
}

TEST(FileInfo, AttributesOfEntriesOnTheDisk)
{
    const std::string file = pellidor::test::TestPath("dir/.hidden");
    pellidor::test::WriteFile(file, "x");
    EXPECT_EQ(GetFileAttributes(pellidor::test::TestPath("dir")) & 0x10, 0x10u);
    EXPECT_EQ(GetFileAttributes(file) & 0x02, 0x02u);
    EXPECT_EQ(GetFileAttributes(pellidor::test::TestPath("dir/none")), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributes(""), INVALID_FILE_ATTRIBUTES);
}

TEST(Execute, HookReceivesEveryRequestAndItsAnswerIsReturned)
{
    std::vector<ExecuteRequest> seen;
    SetExecuteHook([&seen](const ExecuteRequest& request) {
        seen.push_back(request);
        return SE_ERR_NOASSOC;
    });
    EXPECT_EQ(ShellExecute(nullptr, nullptr, "/x/y.txt", "-p", "/x", SW_SHOW), SE_ERR_NOASSOC);
    SetExecuteHook(nullptr);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].verb, "");
    EXPECT_EQ(seen[0].file, "/x/y.txt");
    EXPECT_EQ(seen[0].parameters, "-p");
    EXPECT_EQ(seen[0].directory, "/x");
    EXPECT_EQ(seen[0].show, SW_SHOW);
}

TEST(Execute, MissingFilesAndUnknownVerbsFailWithoutStartingAnything)
{
    EXPECT_EQ(ShellExecute(nullptr, nullptr, pellidor::test::TestPath("none.txt"), {}, {}, SW_SHOWNORMAL), SE_ERR_FNF);
    EXPECT_EQ(ShellExecute(nullptr, nullptr, "", {}, {}, SW_SHOWNORMAL), SE_ERR_FNF);
    const std::string file = pellidor::test::TestPath("a.txt");
    pellidor::test::WriteFile(file, "x");
    EXPECT_EQ(ShellExecute(nullptr, "print", file, {}, {}, SW_SHOWNORMAL), SE_ERR_NOASSOC);
}

// A program that records its arguments, one a line, then its working
// directory, in `record` once it has run (written whole, then renamed).
class ExecuteProgramTest : public testing::Test {
protected:
    void SetUp() override
    {
        bin_ = pellidor::test::TestPath("bin");
        QDir().mkpath(QString::fromStdString(bin_));
        record_ = pellidor::test::TestPath("record.txt");
        program_ = bin_ + "/pellidor-record-arguments";
        pellidor::test::WriteFile(program_,
            "#!/bin/sh\n"
            "for argument in \"$@\"; do printf '%s\\n' \"$argument\"; done > '"
                + record_ + ".part'\npwd >> '" + record_ + ".part'\nmv '" + record_ + ".part' '" + record_ + "'\n");
        QFile::setPermissions(QString::fromStdString(program_), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // The record, once the program has written it; empty after 10 s.
    std::string Record() const
    {
        const QString path = QString::fromStdString(record_);
        if (!QTest::qWaitFor([&path] { return QFile::exists(path); }, 10000))
            return {};
        return pellidor::test::ReadFile(record_);
    }

    std::string bin_;
    std::string record_;
    std::string program_;
};

TEST_F(ExecuteProgramTest, ProgramGetsItsParametersAsArgumentsInTheGivenDirectory)
{
    const std::string directory = pellidor::test::TestPath("work");
    QDir().mkpath(QString::fromStdString(directory));
    EXPECT_GT(ShellExecute(nullptr, "open", program_, "one \"two words\"  three", directory, SW_SHOWNORMAL), 32);
    EXPECT_EQ(Record(), "one\ntwo words\nthree\n" + directory + "\n");
}

TEST_F(ExecuteProgramTest, ProgramWithoutParametersGetsNoArguments)
{
    EXPECT_GT(ShellExecute(nullptr, nullptr, program_, {}, bin_, SW_SHOWNORMAL), 32);
    EXPECT_EQ(Record(), bin_ + "\n");
}

TEST_F(ExecuteProgramTest, BareProgramNameIsFoundOnThePath)
{
    const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    setenv("PATH", (bin_ + ":" + path).c_str(), 1);
    const int answer = ShellExecute(nullptr, nullptr, "pellidor-record-arguments", "found", bin_, SW_SHOWNORMAL);
    setenv("PATH", path.c_str(), 1);
    EXPECT_GT(answer, 32);
    EXPECT_EQ(Record(), "found\n" + bin_ + "\n");
}

TEST(Execute, FolderRequestsGoToTheRegisteredHandlerOnly)
{
    const USHORT empty = 0;
    const auto list = reinterpret_cast<LPCITEMIDLIST>(&empty);
    EXPECT_LE(ShellExecuteIdList(nullptr, "open", list, "folder", SW_SHOWNORMAL), 32);
    IdListRequest seen;
    SetIdListHandler([&seen](const IdListRequest& request) {
        seen = request;
        return kExecuteOk;
    });
    EXPECT_GT(ShellExecuteIdList(nullptr, "explore", list, "folder", SW_SHOWNORMAL), 32);
    EXPECT_EQ(seen.verb, "explore");
    EXPECT_EQ(seen.className, "folder");
    EXPECT_EQ(seen.idList, list);
    EXPECT_LE(ShellExecuteIdList(nullptr, "open", nullptr, "folder", SW_SHOWNORMAL), 32);
    SetIdListHandler(nullptr);
    EXPECT_LE(ShellExecuteIdList(nullptr, "open", list, "folder", SW_SHOWNORMAL), 32);
}
