#include "platform/registry/Registry.h"

#include "platform/system/Errors.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QString>
#include <QStringList>

#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace platform::registry;
namespace sys = platform::system;

namespace {

std::vector<std::string> ValueNames(const Key& key)
{
    std::vector<std::string> names;
    std::string name;
    for (DWORD i = 0; key.EnumValue(i, name) == 0; ++i)
        names.push_back(name);
    return names;
}

std::vector<std::string> SubkeyNames(const Key& key)
{
    std::vector<std::string> names;
    std::string name;
    for (DWORD i = 0; key.EnumKey(i, name) == 0; ++i)
        names.push_back(name);
    return names;
}

Key CreateKey(Hive hive, const std::string& path)
{
    Key key;
    EXPECT_EQ(key.Create(hive, path), 0) << path;
    return key;
}

} // namespace

TEST(Registry, DatabaseFollowsTheDataDirectory)
{
    EXPECT_EQ(DatabasePath(), pellidor::test::TestRoot() + "/data/pellidor/registry.db");
    CreateKey(Hive::CurrentUser, "Software\\Pellidor");
    EXPECT_FALSE(pellidor::test::ReadFile(DatabasePath()).empty());
}

TEST(Registry, NamesMatchWithoutCaseAndKeepTheirSpelling)
{
    Key key = CreateKey(Hive::CurrentUser, "Software\\Pellidor\\CatView");
    ASSERT_EQ(key.SetDword("C00", 120), 0);
    ASSERT_EQ(key.SetDword("c00", 140), 0); // the same value, not a second one

    Key reopened;
    ASSERT_EQ(reopened.Open(Hive::CurrentUser, "SOFTWARE\\pellidor\\catVIEW"), 0);
    DWORD width = 0;
    ASSERT_EQ(reopened.QueryDword("C00", width), 0);
    EXPECT_EQ(width, 140u);
    EXPECT_EQ(ValueNames(reopened), std::vector<std::string>{"C00"});

    Key software;
    ASSERT_EQ(software.Open(Hive::CurrentUser, "software"), 0);
    EXPECT_EQ(SubkeyNames(software), std::vector<std::string>{"Pellidor"});
    bool created = true;
    Key again;
    ASSERT_EQ(again.Create(Hive::CurrentUser, "SOFTWARE\\PELLIDOR", &created), 0);
    EXPECT_FALSE(created);
    EXPECT_EQ(SubkeyNames(software), std::vector<std::string>{"Pellidor"});
}

TEST(Registry, FoldingIsAsciiOnly)
{
    Key key = CreateKey(Hive::CurrentUser, "Software\\Ünicode");
    ASSERT_EQ(key.SetString("Ä", "upper"), 0);
    ASSERT_EQ(key.SetString("ä", "lower"), 0);
    EXPECT_EQ(ValueNames(key), (std::vector<std::string>{"Ä", "ä"}));
}

TEST(Registry, HivesAreSeparateRoots)
{
    CreateKey(Hive::LocalMachine, "SOFTWARE\\Pellidor\\CatDir");
    Key key;
    EXPECT_EQ(key.Open(Hive::CurrentUser, "SOFTWARE\\Pellidor\\CatDir"), 2);
    EXPECT_EQ(key.Open(Hive::ClassesRoot, "SOFTWARE"), 2);
    EXPECT_EQ(key.Open(Hive::LocalMachine, "SOFTWARE\\Pellidor\\CatDir"), 0);
}

TEST(Registry, EnumerationIsStableAndInCreationOrder)
{
    Key key = CreateKey(Hive::ClassesRoot, "CLSID");
    const std::vector<std::string> names = {"zeta", "Alpha", "mid", "", "beta"};
    for (const std::string& name : names)
        ASSERT_EQ(key.SetString(name, "x"), 0);
    for (const char* name : {"Zulu", "alpha", "Beta"})
        CreateKey(Hive::ClassesRoot, "CLSID\\" + std::string(name));

    // Rewriting a value keeps its place; deleting one closes the gap.
    ASSERT_EQ(key.SetDword("ZETA", 7), 0);
    EXPECT_EQ(ValueNames(key), names);
    EXPECT_EQ(ValueNames(key), ValueNames(key));
    ASSERT_EQ(key.DeleteValue("mid"), 0);
    EXPECT_EQ(ValueNames(key), (std::vector<std::string>{"zeta", "Alpha", "", "beta"}));
    EXPECT_EQ(SubkeyNames(key), (std::vector<std::string>{"Zulu", "alpha", "Beta"}));

    std::string name;
    DWORD type = 0;
    EXPECT_EQ(key.EnumValue(0, name, &type), 0);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(key.EnumValue(4, name), 259);
    EXPECT_EQ(key.EnumKey(3, name), 259);
}

TEST(Registry, DeletingAKeyRemovesItsSubtree)
{
    CreateKey(Hive::CurrentUser, "Software\\Pellidor\\CatView\\Deep\\Deeper").SetDword("v", 1);
    CreateKey(Hive::CurrentUser, "Software\\Pellidor\\ShelfView").SetDword("v", 2);
    CreateKey(Hive::CurrentUser, "Software\\Other").SetDword("v", 3);

    EXPECT_EQ(DeleteTree(Hive::CurrentUser, "software\\PELLIDOR"), 0);
    Key key;
    EXPECT_EQ(key.Open(Hive::CurrentUser, "Software\\Pellidor"), 2);
    EXPECT_EQ(key.Open(Hive::CurrentUser, "Software\\Pellidor\\CatView\\Deep\\Deeper"), 2);
    ASSERT_EQ(key.Open(Hive::CurrentUser, "Software\\Other"), 0);
    DWORD value = 0;
    EXPECT_EQ(key.QueryDword("v", value), 0);
    EXPECT_EQ(value, 3u);
    EXPECT_EQ(DeleteTree(Hive::CurrentUser, "Software\\Pellidor"), 2);

    // A key made again under the same name starts empty.
    Key fresh = CreateKey(Hive::CurrentUser, "Software\\Pellidor\\CatView");
    EXPECT_TRUE(SubkeyNames(fresh).empty());
    EXPECT_TRUE(ValueNames(fresh).empty());
}

TEST(Registry, DeleteTreeThroughAKeyEmptiesItWithoutASubkey)
{
    Key key = CreateKey(Hive::CurrentUser, "Software\\Pellidor");
    ASSERT_EQ(key.SetString("", "default"), 0);
    CreateKey(Hive::CurrentUser, "Software\\Pellidor\\A\\B");
    CreateKey(Hive::CurrentUser, "Software\\Pellidor\\C");

    ASSERT_EQ(key.DeleteTree("a"), 0);
    EXPECT_EQ(SubkeyNames(key), std::vector<std::string>{"C"});
    ASSERT_EQ(key.DeleteTree(""), 0);
    EXPECT_TRUE(SubkeyNames(key).empty());
    EXPECT_TRUE(ValueNames(key).empty());
    Key still;
    EXPECT_EQ(still.Open(Hive::CurrentUser, "Software\\Pellidor"), 0);
}

TEST(Registry, AKeyDeletedUnderAnOpenHandleAnswersKeyDeleted)
{
    Key key = CreateKey(Hive::CurrentUser, "Software\\Gone");
    ASSERT_EQ(DeleteTree(Hive::CurrentUser, "Software\\Gone"), 0);
    EXPECT_EQ(key.SetDword("v", 1), static_cast<LONG>(sys::ERROR_KEY_DELETED));
    DWORD value = 0;
    EXPECT_EQ(key.QueryDword("v", value), static_cast<LONG>(sys::ERROR_KEY_DELETED));
    Key check;
    EXPECT_EQ(check.Open(Hive::CurrentUser, "Software\\Gone"), 2); // not brought back by the write
}

TEST(Registry, TooSmallBufferAnswersMoreDataWithTheNeededSize)
{
    Key key = CreateKey(Hive::LocalMachine, "SOFTWARE\\Pellidor\\CatDir");
    const std::string path = "/home/user/Pellidor";
    ASSERT_EQ(key.SetString("", path), 0);

    DWORD type = 0;
    DWORD size = 0;
    ASSERT_EQ(key.QueryValue("", &type, nullptr, &size), 0);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, path.size() + 1);

    std::vector<char> buffer(path.size(), 'x'); // one short: no room for the NUL
    size = static_cast<DWORD>(buffer.size());
    EXPECT_EQ(key.QueryValue("", &type, buffer.data(), &size), 234);
    EXPECT_EQ(size, path.size() + 1);

    buffer.assign(size, 'x');
    ASSERT_EQ(key.QueryValue("", &type, buffer.data(), &size), 0);
    EXPECT_STREQ(buffer.data(), path.c_str());

    std::string text;
    EXPECT_EQ(key.QueryString("", text, path.size()), 234);
    ASSERT_EQ(key.QueryString("", text, path.size() + 1), 0);
    EXPECT_EQ(text, path);
}

TEST(Registry, ValuesKeepTheirTypeAndBytes)
{
    Key key = CreateKey(Hive::CurrentUser, "Software\\Types");
    const std::vector<BYTE> binary = {0x00, 0xFF, 0x00, 0x10};
    ASSERT_EQ(key.SetBinary("bin", binary), 0);
    ASSERT_EQ(key.SetBinary("empty", {}), 0);
    ASSERT_EQ(key.SetDword("dw", 0xDEADBEEF), 0);

    std::vector<BYTE> out(8, 0xAA);
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(out.size());
    ASSERT_EQ(key.QueryValue("bin", &type, out.data(), &size), 0);
    EXPECT_EQ(type, REG_BINARY);
    out.resize(size);
    EXPECT_EQ(out, binary);
    size = 8;
    ASSERT_EQ(key.QueryValue("empty", &type, out.data(), &size), 0);
    EXPECT_EQ(size, 0u);

    DWORD dword = 0;
    ASSERT_EQ(key.QueryDword("dw", dword), 0);
    EXPECT_EQ(dword, 0xDEADBEEFu);
    std::string text;
    EXPECT_EQ(key.QueryString("dw", text), 2); // not a text
    EXPECT_EQ(key.QueryDword("bin", dword), static_cast<LONG>(sys::ERROR_INVALID_DATA));
}

TEST(Registry, MissingKeysAndValuesAnswerNotFound)
{
    Key key;
    EXPECT_EQ(key.Open(Hive::CurrentUser, "Software\\Nothing\\Here"), 2);
    EXPECT_FALSE(key.IsOpen());
    key = CreateKey(Hive::CurrentUser, "Software\\Something");
    DWORD value = 0;
    EXPECT_EQ(key.QueryDword("absent", value), 2);
    EXPECT_EQ(key.DeleteValue("absent"), 2);
    EXPECT_EQ(key.DeleteTree("absent"), 2);
    EXPECT_EQ(DeleteTree(Hive::ClassesRoot, "Nothing"), 2);
}

TEST(Registry, WritesThroughAReadOnlyKeyAreDenied)
{
    CreateKey(Hive::CurrentUser, "Software\\Pellidor\\Search").SetString("0", "*.mp3");
    Key key;
    ASSERT_EQ(key.Open(Hive::CurrentUser, "Software\\Pellidor\\Search", Access::Read), 0);
    EXPECT_EQ(key.SetString("0", "changed"), 5);
    EXPECT_EQ(key.SetDword("1", 1), 5);
    EXPECT_EQ(key.DeleteValue("0"), 5);
    EXPECT_EQ(key.DeleteTree(""), 5);
    std::string text;
    ASSERT_EQ(key.QueryString("0", text), 0);
    EXPECT_EQ(text, "*.mp3");

    Key writable;
    ASSERT_EQ(writable.Open(Hive::CurrentUser, "Software\\Pellidor\\Search", Access::ReadWrite), 0);
    EXPECT_EQ(writable.SetString("0", "changed"), 0);
}

TEST(Registry, MovedKeyKeepsItsHandle)
{
    Key first = CreateKey(Hive::CurrentUser, "Software\\Moved");
    Key second(std::move(first));
    EXPECT_FALSE(first.IsOpen());
    ASSERT_TRUE(second.IsOpen());
    EXPECT_EQ(second.SetDword("v", 9), 0);
    EXPECT_EQ(first.SetDword("v", 9), static_cast<LONG>(sys::ERROR_INVALID_HANDLE));
}

TEST(Registry, EachDataDirectoryHasItsOwnDatabase)
{
    const std::string first = pellidor::test::TestRoot() + "/data";
    const std::string second = pellidor::test::TestRoot() + "/other-data";
    CreateKey(Hive::CurrentUser, "Software\\Pellidor");
    Key key;
    setenv("XDG_DATA_HOME", second.c_str(), 1);
    EXPECT_EQ(DatabasePath(), second + "/pellidor/registry.db");
    EXPECT_EQ(key.Open(Hive::CurrentUser, "Software\\Pellidor"), 2);
    CreateKey(Hive::CurrentUser, "Software\\Other");
    setenv("XDG_DATA_HOME", first.c_str(), 1);
    EXPECT_EQ(key.Open(Hive::CurrentUser, "Software\\Pellidor"), 0);
    EXPECT_EQ(key.Open(Hive::CurrentUser, "Software\\Other"), 2);
}

TEST(Registry, TwoProcessesWritingAtOnceLoseNothing)
{
    constexpr int kCount = 1000;
    const QString helper = QString::fromStdString(pellidor::test::BinDirectory() + "/pellidor_platform_helper");
    QProcess first;
    QProcess second;
    first.start(helper, {QStringLiteral("registry-write"), QStringLiteral("a"), QString::number(kCount)});
    second.start(helper, {QStringLiteral("registry-write"), QStringLiteral("b"), QString::number(kCount)});
    ASSERT_TRUE(first.waitForFinished(120000));
    ASSERT_TRUE(second.waitForFinished(120000));
    EXPECT_EQ(first.exitCode(), 0) << first.readAll().toStdString();
    EXPECT_EQ(second.exitCode(), 0) << second.readAll().toStdString();

    Key key;
    ASSERT_EQ(key.Open(Hive::CurrentUser, "Software\\Stress"), 0);
    const std::vector<std::string> names = ValueNames(key);
    const std::set<std::string> unique(names.begin(), names.end());
    EXPECT_EQ(names.size(), 2u * kCount);
    EXPECT_EQ(unique.size(), 2u * kCount);
    for (int i = 0; i < kCount; i += 97) {
        DWORD value = 0;
        ASSERT_EQ(key.QueryDword("b" + std::to_string(i), value), 0);
        EXPECT_EQ(value, static_cast<DWORD>(i));
    }
}

TEST(Registry, ThreadsWritingAtOnceLoseNothing)
{
    constexpr int kThreads = 4;
    constexpr int kCount = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            Key key;
            ASSERT_EQ(key.Create(Hive::CurrentUser, "Software\\Threads"), 0);
            for (int i = 0; i < kCount; ++i)
                ASSERT_EQ(key.SetDword("t" + std::to_string(t) + "_" + std::to_string(i), 1), 0);
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    Key key;
    ASSERT_EQ(key.Open(Hive::CurrentUser, "Software\\Threads"), 0);
    EXPECT_EQ(ValueNames(key).size(), static_cast<std::size_t>(kThreads * kCount));
}
