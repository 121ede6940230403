// HKEY_CLASSES_ROOT's file types: the desktop's types shown as read-only
// keys beside the database's own.

#include "platform/shell/FileTypeKeys.h"
#include "platform/registry/Registry.h"
#include "platform/shell/FileInfo.h"
#include "platform/system/Errors.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QMimeType>
#include <QProcess>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace platform::registry;
namespace sys = platform::system;

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
        [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
    return text;
}

std::vector<std::string> ClassesRootNames()
{
    Key root;
    EXPECT_EQ(root.Open(Hive::ClassesRoot, ""), 0);
    std::vector<std::string> names;
    std::string name;
    for (DWORD i = 0; root.EnumKey(i, name) == 0; ++i)
        names.push_back(name);
    return names;
}

std::string DefaultValue(const std::string& path)
{
    Key key;
    std::string value;
    if (key.Open(Hive::ClassesRoot, path) != 0 || key.QueryString("", value) != 0)
        return "<none>";
    return value;
}

void SetDefault(const std::string& path, const std::string& value)
{
    Key key;
    ASSERT_EQ(key.Create(Hive::ClassesRoot, path), 0);
    ASSERT_EQ(key.SetString("", value), 0);
}

// The table's names, without those a key of the database hides.
std::vector<std::string> TableNamesWithout(const std::set<std::string>& hidden)
{
    std::vector<std::string> names;
    for (const platform::shell::FileTypeKey& key : platform::shell::FileTypeKeys::Instance().Keys()) {
        if (hidden.count(Lower(key.name)) == 0)
            names.push_back(key.name);
    }
    return names;
}

QMimeType Jpeg()
{
    return QMimeDatabase().mimeTypeForName(QStringLiteral("image/jpeg"));
}

} // namespace

// What the search's type box does with the keys: every ".ext" key's type,
// then that type's description, extensions gathered under one description.
TEST(FileTypeKeys, ExtensionsOfOneTypeGatherUnderItsDescription)
{
    const QMimeType jpeg = Jpeg();
    ASSERT_TRUE(jpeg.isValid()) << "shared-mime-info knows no JPEG images";
    std::map<std::string, std::set<std::string>> byDescription;
    for (const std::string& name : ClassesRootNames()) {
        if (name.empty() || name.front() != '.')
            continue;
        const std::string description = DefaultValue(DefaultValue(name));
        if (description != "<none>" && !description.empty())
            byDescription[Lower(description)].insert(name);
    }
    const std::set<std::string>& extensions = byDescription[Lower(jpeg.comment().toStdString())];
    for (const char* extension : {".jpg", ".jpeg", ".jpe"})
        EXPECT_EQ(extensions.count(extension), 1u) << extension;
    for (const QString& suffix : jpeg.suffixes())
        EXPECT_EQ(extensions.count(Lower("." + suffix.toStdString())), 1u) << suffix.toStdString();

    EXPECT_EQ(DefaultValue(".JPG"), "image/jpeg");
    EXPECT_EQ(DefaultValue("image/jpeg"), jpeg.comment().toStdString());
}

// The keys say what the type names say, also where several types claim one
// extension (in different case or with different weights).
TEST(FileTypeKeys, AnExtensionKeyNamesTheTypeThatTheFileTypeNameGives)
{
    int compared = 0;
    for (const platform::shell::FileTypeKey& key : platform::shell::FileTypeKeys::Instance().Keys()) {
        if (key.name.front() != '.')
            continue;
        const QMimeType type = platform::shell::GetFileNameType("x" + key.name);
        if (type.isDefault())
            continue;
        EXPECT_EQ(key.defaultValue, type.name().toStdString()) << key.name;
        ++compared;
    }
    EXPECT_GT(compared, 100);
}

// One package's type may be another's alias; the database then names the
// extension's type by the name the alias stands for, and so must the key.
// Runs where this test's own data directory is the first the database
// reads (each test in a process of its own, as CTest runs them).
TEST(FileTypeKeys, AnExtensionOfATypeThatIsAnotherTypesAliasNamesTheTypeItStandsFor)
{
    const QString mime = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/mime");
    QDir().mkpath(mime + QStringLiteral("/packages"));
    QFile package(mime + QStringLiteral("/packages/pellidor-test.xml"));
    ASSERT_TRUE(package.open(QIODevice::WriteOnly));
    package.write(R"(<?xml version="1.0" encoding="UTF-8"?>
<mime-info xmlns="http://www.freedesktop.org/standards/shared-mime-info">
  <mime-type type="application/x-pellidor-test-named">
    <comment>Named test type</comment>
    <glob pattern="*.pellidornamed"/>
  </mime-type>
  <mime-type type="application/x-pellidor-test-canonical">
    <comment>Canonical test type</comment>
    <alias type="application/x-pellidor-test-named"/>
  </mime-type>
</mime-info>
)");
    package.close();
    if (QProcess::execute(QStringLiteral("update-mime-database"), {mime}) != 0)
        GTEST_SKIP() << "update-mime-database is not there";
    const std::string typeName = platform::shell::GetFileNameType("x.pellidornamed").name().toStdString();
    if (typeName.rfind("application/x-pellidor-test", 0) != 0)
        GTEST_SKIP() << "the database was read before this test's data directory was made";
    const platform::shell::FileTypeKey* key = platform::shell::FileTypeKeys::Instance().Find(".pellidornamed");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->defaultValue, typeName);
    EXPECT_EQ(key->defaultValue, "application/x-pellidor-test-canonical");
}

TEST(FileTypeKeys, EnumerationListsTheDatabaseFirstThenTheTypesInNameOrder)
{
    SetDefault("CLSID", "");
    SetDefault("Pellidor.ShelfFolder", "Pellidor");
    const std::vector<std::string> first = ClassesRootNames();
    ASSERT_GE(first.size(), 3u);
    EXPECT_EQ(first[0], "CLSID");
    EXPECT_EQ(first[1], "Pellidor.ShelfFolder");
    const std::vector<std::string> types(first.begin() + 2, first.end());
    EXPECT_EQ(types, TableNamesWithout({}));
    EXPECT_TRUE(std::is_sorted(
        types.begin(), types.end(), [](const std::string& a, const std::string& b) { return Lower(a) < Lower(b); }));
    EXPECT_EQ(ClassesRootNames(), first) << "the same index names the same key every time";

    // One handle, asked out of order and then enumerating again after a
    // write: each answer is the key at that index now.
    Key root;
    ASSERT_EQ(root.Open(Hive::ClassesRoot, ""), 0);
    std::string name;
    for (const DWORD index : {700u, 3u, 1u, 701u, 2u}) {
        ASSERT_EQ(root.EnumKey(index, name), 0) << index;
        EXPECT_EQ(name, first[index]) << index;
    }
    SetDefault(".pld", "Pellidor.Catalog");
    std::vector<std::string> again;
    for (DWORD i = 0; root.EnumKey(i, name) == 0; ++i)
        again.push_back(name);
    ASSERT_EQ(again.size(), first.size() + 1);
    EXPECT_EQ(again[2], ".pld");
    EXPECT_EQ(root.EnumKey(static_cast<DWORD>(again.size()), name), sys::ERROR_NO_MORE_ITEMS);
}

// Hidden keys at the table's start, in its middle and at its end: each one
// is skipped once, and nothing past it is lost or doubled.
TEST(FileTypeKeys, KeysThatProgramsWriteComeFirstAndHideTheTypesOfTheirName)
{
    const auto& table = platform::shell::FileTypeKeys::Instance().Keys();
    ASSERT_GT(table.size(), 10u);
    const std::string firstName = table.front().name;
    const std::string middleName = table[table.size() / 2].name;
    const std::string lastName = table.back().name;
    SetDefault(".jpg", "Pellidor.Picture");
    SetDefault(middleName, "mine");
    SetDefault(lastName, "mine");
    SetDefault(firstName, "mine");

    const std::vector<std::string> names = ClassesRootNames();
    std::vector<std::string> expected{".jpg", middleName, lastName, firstName};
    const std::vector<std::string> rest
        = TableNamesWithout({".jpg", Lower(firstName), Lower(middleName), Lower(lastName)});
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(names, expected);
    EXPECT_EQ(DefaultValue(".jpg"), "Pellidor.Picture");
    EXPECT_EQ(DefaultValue(".JPEG"), "image/jpeg") << "only the key of that name is hidden";

    // A key written below a type's name makes that name the database's,
    // with no description of its own.
    Key verb;
    ASSERT_EQ(verb.Create(Hive::ClassesRoot, "image/png\\shell\\open"), 0);
    EXPECT_EQ(DefaultValue("image/png"), "<none>");

    // Gone again, the type shows through.
    EXPECT_EQ(DeleteTree(Hive::ClassesRoot, ".JPG"), 0);
    EXPECT_EQ(DefaultValue(".jpg"), "image/jpeg");
}

TEST(FileTypeKeys, TypeKeysCannotBeChangedButAKeyOfTheSameNameCanBeMade)
{
    Key readWrite;
    EXPECT_EQ(readWrite.Open(Hive::ClassesRoot, ".jpg", Access::ReadWrite), sys::ERROR_ACCESS_DENIED);
    EXPECT_FALSE(readWrite.IsOpen());

    Key key;
    ASSERT_EQ(key.Open(Hive::ClassesRoot, ".jpg"), 0);
    EXPECT_EQ(key.SetString("", "other"), sys::ERROR_ACCESS_DENIED);
    EXPECT_EQ(key.DeleteValue(""), sys::ERROR_ACCESS_DENIED);
    EXPECT_EQ(key.DeleteTree(""), sys::ERROR_ACCESS_DENIED);
    EXPECT_EQ(DeleteTree(Hive::ClassesRoot, ".jpg"), sys::ERROR_ACCESS_DENIED);
    EXPECT_EQ(DeleteTree(Hive::ClassesRoot, "image/jpeg"), sys::ERROR_ACCESS_DENIED);
    EXPECT_EQ(DeleteTree(Hive::ClassesRoot, ".jpg\\shell"), sys::ERROR_FILE_NOT_FOUND);
    Key root;
    ASSERT_EQ(root.Create(Hive::ClassesRoot, ""), 0);
    EXPECT_EQ(root.DeleteTree(".jpg"), sys::ERROR_ACCESS_DENIED);
    EXPECT_EQ(DefaultValue(".jpg"), "image/jpeg");

    bool created = false;
    Key mine;
    ASSERT_EQ(mine.Create(Hive::ClassesRoot, ".jpg", &created), 0);
    EXPECT_TRUE(created);
    EXPECT_EQ(mine.SetString("", "Pellidor.Picture"), 0);
    EXPECT_EQ(DefaultValue(".jpg"), "Pellidor.Picture");
}

TEST(FileTypeKeys, ATypeKeyHoldsItsDefaultValueAndNothingElse)
{
    Key key;
    ASSERT_EQ(key.Open(Hive::ClassesRoot, "image/jpeg"), 0);
    std::string name = "unchanged";
    DWORD type = REG_NONE;
    ASSERT_EQ(key.EnumValue(0, name, &type), 0);
    EXPECT_EQ(name, "");
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(key.EnumValue(1, name), sys::ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(key.EnumKey(0, name), sys::ERROR_NO_MORE_ITEMS);

    // The Windows query: size first, then a buffer too small, then enough.
    const std::string comment = Jpeg().comment().toStdString();
    DWORD size = 0;
    ASSERT_EQ(key.QueryValue("", &type, nullptr, &size), 0);
    EXPECT_EQ(size, comment.size() + 1);
    std::string buffer(size, 'x');
    DWORD small = 2;
    EXPECT_EQ(key.QueryValue("", &type, buffer.data(), &small), sys::ERROR_MORE_DATA);
    EXPECT_EQ(small, size);
    ASSERT_EQ(key.QueryValue("", &type, buffer.data(), &size), 0);
    EXPECT_EQ(buffer, comment + '\0');
    std::string value;
    EXPECT_EQ(key.QueryString("Other", value), sys::ERROR_FILE_NOT_FOUND);

    Key below;
    EXPECT_EQ(below.Open(Hive::ClassesRoot, ".jpg\\shell"), sys::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(below.Open(Hive::CurrentUser, ".jpg"), sys::ERROR_FILE_NOT_FOUND) << "only under HKEY_CLASSES_ROOT";

    Key moved = std::move(key);
    EXPECT_FALSE(key.IsOpen());
    ASSERT_TRUE(moved.IsOpen());
    EXPECT_EQ(moved.QueryString("", value), 0);
    EXPECT_EQ(value, comment);
}
