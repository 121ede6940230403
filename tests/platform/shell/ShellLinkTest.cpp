// The shell-link object and its file: made by class id, a round trip through
// a file, and damaged files that Load refuses without reading past them.

#include "platform/shell/ShellLink.h"
#include "platform/com/CoCreate.h"
#include "platform/com/ComPtr.h"
#include "platform/shell/ChangeNotify.h"
#include "platform/shell/NamespaceIds.h"
#include "platform/system/Errors.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QString>

#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

using namespace platform::shell;
using platform::com::ComPtr;
using platform::com::TaskMemPtr;

namespace {

constexpr CLSID kJunction = MakeGuid(0x4C7D2A90, 0x83B1, 0x4E6F, 0x9D, 0x25, 0x7A, 0x0C, 0x3E, 0x5B, 0x8F, 0x14);
const HRESULT kDamaged = HRESULT_FROM_WIN32(platform::system::ERROR_INVALID_DATA);

// A junction in My Computer and one element of its extension below it.
std::vector<BYTE> TargetList()
{
    const BYTE element[] = {8, 0, 2, 0, 0, 0, 'x', 'y'};
    return AppendElement(MyComputerJunctionIdList(kJunction), element, sizeof element);
}

LPCITEMIDLIST AsList(const std::vector<BYTE>& bytes)
{
    return reinterpret_cast<LPCITEMIDLIST>(bytes.data());
}

std::u16string Wide(const std::string& path)
{
    return QString::fromStdString(path).toStdU16String();
}

ComPtr<IShellLinkA> NewLink()
{
    ComPtr<IShellLinkA> link;
    EXPECT_EQ(platform::com::CoCreateInstance(
                  CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IShellLinkA::kIid, link.ReceiveVoid()),
        S_OK);
    return link;
}

std::vector<BYTE> ListOf(IShellLinkA& link)
{
    LPITEMIDLIST list = nullptr;
    if (link.GetIDList(&list) != S_OK)
        return {};
    const TaskMemPtr<ITEMIDLIST> owned(list);
    return IdListBytes(owned.get());
}

std::string DescriptionOf(IShellLinkA& link)
{
    char text[2048] = {};
    EXPECT_EQ(link.GetDescription(text, sizeof text), S_OK);
    return text;
}

void WriteBytes(const std::string& path, const std::vector<BYTE>& bytes)
{
    pellidor::test::WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

} // namespace

TEST(ShellLink, CreatedByClassIdOnlyForTheInProcessServerWithoutAggregation)
{
    ComPtr<IUnknown> object;
    EXPECT_EQ(platform::com::CoCreateInstance(
                  CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IPersistFile::kIid, object.ReceiveVoid()),
        S_OK);
    ASSERT_TRUE(object);
    ComPtr<IPersist> persist = object.As<IPersist>();
    ASSERT_TRUE(persist);
    CLSID clsid;
    EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_ShellLink);
    EXPECT_EQ(platform::com::IdentityOf(persist.Get()), platform::com::IdentityOf(object.As<IShellLinkA>().Get()));

    void* out = &object;
    EXPECT_EQ(platform::com::CoCreateInstance(kJunction, nullptr, CLSCTX_INPROC_SERVER, IShellLinkA::kIid, &out),
        REGDB_E_CLASSNOTREG);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(
        platform::com::CoCreateInstance(CLSID_ShellLink, nullptr, 0x4, IShellLinkA::kIid, &out), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(
        platform::com::CoCreateInstance(CLSID_ShellLink, object.Get(), CLSCTX_INPROC_SERVER, IShellLinkA::kIid, &out),
        CLASS_E_NOAGGREGATION);
    EXPECT_EQ(platform::com::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IShellFolder::kIid, &out),
        E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
}

TEST(ShellLink, SavedLinkLoadsWithItsListAndDescription)
{
    const std::string path = pellidor::test::TestPath("Favorites/beach.lnk");
    const std::vector<BYTE> target = TargetList();
    {
        const ComPtr<IShellLinkA> link = NewLink();
        const ComPtr<IPersistFile> file = link.As<IPersistFile>();
        EXPECT_EQ(file->IsDirty(), S_FALSE);
        EXPECT_EQ(ListOf(*link), std::vector<BYTE>()) << "no target yet";
        ASSERT_EQ(link->SetIDList(AsList(target)), S_OK);
        ASSERT_EQ(link->SetDescription("Beach, 2024"), S_OK);
        EXPECT_EQ(file->IsDirty(), S_OK);
        ASSERT_EQ(file->Save(Wide(path).c_str(), TRUE_), S_OK);
        EXPECT_EQ(file->IsDirty(), S_FALSE);
        WCHAR* current = nullptr;
        ASSERT_EQ(file->GetCurFile(&current), S_OK);
        const TaskMemPtr<WCHAR> owned(current);
        EXPECT_EQ(std::u16string(current), Wide(path));
    }
    const ComPtr<IShellLinkA> again = NewLink();
    ASSERT_EQ(again.As<IPersistFile>()->Load(Wide(path).c_str(), 0), S_OK);
    EXPECT_EQ(ListOf(*again), target);
    EXPECT_EQ(DescriptionOf(*again), "Beach, 2024");
}

TEST(ShellLink, ListsThatALoadWouldRefuseAreNotTaken)
{
    const ComPtr<IShellLinkA> link = NewLink();
    const std::vector<BYTE> target = TargetList();
    ASSERT_EQ(link->SetIDList(AsList(target)), S_OK);
    // A first element that is nothing of the platform's.
    const std::vector<BYTE> foreign = {6, 0, 0x77, 1, 2, 3, 0, 0};
    EXPECT_EQ(link->SetIDList(AsList(foreign)), E_INVALIDARG);
    EXPECT_EQ(link->SetIDList(nullptr), E_INVALIDARG);
    EXPECT_EQ(ListOf(*link), target) << "the target before stays";
    EXPECT_EQ(link->SetDescription(std::string(kMaxLinkDescription + 1, 'd').c_str()), E_INVALIDARG);
}

TEST(ShellLink, DescriptionIsCutToTheCallersBuffer)
{
    const ComPtr<IShellLinkA> link = NewLink();
    ASSERT_EQ(link->SetDescription("Holidays"), S_OK);
    char small[5] = {'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(link->GetDescription(small, sizeof small), S_OK);
    EXPECT_STREQ(small, "Holi");
    EXPECT_EQ(link->GetDescription(small, 0), E_INVALIDARG);
}

TEST(ShellLink, SaveIntoAMissingFolderFailsAndWritesNothing)
{
    const std::string path = pellidor::test::TestRoot() + "/missing/link.lnk";
    const ComPtr<IShellLinkA> link = NewLink();
    const std::vector<BYTE> target = TargetList();
    ASSERT_EQ(link->SetIDList(AsList(target)), S_OK);
    EXPECT_EQ(link.As<IPersistFile>()->Save(Wide(path).c_str(), TRUE_),
        HRESULT_FROM_WIN32(platform::system::ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(path)));
}

// ---- Damaged files ----

// Each case is a good file with one thing broken.
struct DamagedLink {
    const char* name;
    std::function<void(std::vector<BYTE>&)> damage;
};

void PrintTo(const DamagedLink& damaged, std::ostream* out)
{
    *out << damaged.name;
}

std::vector<BYTE> GoodFile()
{
    return FormatLinkFile({TargetList(), "Beach"});
}

void PutU32At(std::vector<BYTE>& bytes, std::size_t offset, std::uint32_t value)
{
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

// Offsets in the good file.
constexpr std::size_t kListLengthAt = 8;
constexpr std::size_t kListAt = 12;
std::size_t DescriptionLengthAt()
{
    return kListAt + TargetList().size();
}

const DamagedLink kDamagedLinks[] = {
    {"Empty", [](std::vector<BYTE>& b) { b.clear(); }},
    {"HeaderCut", [](std::vector<BYTE>& b) { b.resize(10); }},
    {"WrongMagic", [](std::vector<BYTE>& b) { b[0] = 'X'; }},
    {"LaterVersion", [](std::vector<BYTE>& b) { b[4] = 2; }},
    {"ReservedNotZero", [](std::vector<BYTE>& b) { b[6] = 1; }},
    {"ListLengthPastTheEnd", [](std::vector<BYTE>& b) { PutU32At(b, kListLengthAt, 0xFFFFFFFFu); }},
    {"ListLengthOne", [](std::vector<BYTE>& b) { PutU32At(b, kListLengthAt, 1); }},
    {"ListShorterThanItsElements",
        [](std::vector<BYTE>& b) { PutU32At(b, kListLengthAt, static_cast<std::uint32_t>(TargetList().size() - 4)); }},
    {"ElementRunsPastTheList", [](std::vector<BYTE>& b) { b[kListAt + 20] = 0xF0; }},
    {"ElementSizeZeroTooEarly", [](std::vector<BYTE>& b) { b[kListAt + 20] = 0; }},
    {"FirstElementNotThePlatforms", [](std::vector<BYTE>& b) { b[kListAt + 2] = 0x77; }},
    {"DescriptionLengthPastTheEnd", [](std::vector<BYTE>& b) { PutU32At(b, DescriptionLengthAt(), 0x7FFFFFFFu); }},
    {"DescriptionLengthShort", [](std::vector<BYTE>& b) { PutU32At(b, DescriptionLengthAt(), 2); }},
    {"DescriptionCut", [](std::vector<BYTE>& b) { b.pop_back(); }},
    {"BytesAfterTheDescription", [](std::vector<BYTE>& b) { b.push_back('!'); }},
    {"NulInTheDescription", [](std::vector<BYTE>& b) { b[b.size() - 2] = 0; }},
    {"DescriptionTooLong",
        [](std::vector<BYTE>& b) {
            const auto length = static_cast<std::uint32_t>(kMaxLinkDescription + 1);
            b.resize(DescriptionLengthAt());
            b.resize(b.size() + 4 + length, 'd');
            PutU32At(b, DescriptionLengthAt(), length);
        }},
    {"HugeFile", [](std::vector<BYTE>& b) { b.resize(4 * 1024 * 1024, 'z'); }},
};

class DamagedLinkFile : public testing::TestWithParam<DamagedLink> { };

TEST_P(DamagedLinkFile, LoadFailsAndKeepsWhatTheLinkHeld)
{
    // The good file loads: the damage alone makes the difference.
    const std::string good = pellidor::test::TestPath("good.lnk");
    WriteBytes(good, GoodFile());
    const ComPtr<IShellLinkA> link = NewLink();
    const ComPtr<IPersistFile> file = link.As<IPersistFile>();
    ASSERT_EQ(file->Load(Wide(good).c_str(), 0), S_OK);

    std::vector<BYTE> bytes = GoodFile();
    GetParam().damage(bytes);
    const std::string damaged = pellidor::test::TestPath("damaged.lnk");
    WriteBytes(damaged, bytes);
    EXPECT_EQ(file->Load(Wide(damaged).c_str(), 0), kDamaged);
    EXPECT_EQ(ListOf(*link), TargetList());
    EXPECT_EQ(DescriptionOf(*link), "Beach");
    EXPECT_FALSE(ParseLinkFile(bytes.data(), bytes.size()).has_value());
}

INSTANTIATE_TEST_SUITE_P(Cases, DamagedLinkFile, testing::ValuesIn(kDamagedLinks),
    [](const testing::TestParamInfo<DamagedLink>& param) { return std::string(param.param.name); });

TEST(ShellLinkFile, EveryCutOfAGoodFileIsRefusedAndNoByteFlipIsReadPastTheEnd)
{
    const std::vector<BYTE> good = GoodFile();
    ASSERT_TRUE(ParseLinkFile(good.data(), good.size()).has_value());
    for (std::size_t size = 0; size < good.size(); ++size) {
        // A copy of exactly `size` bytes, so a sanitizer sees any read past it.
        const std::vector<BYTE> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_FALSE(ParseLinkFile(cut.data(), cut.size()).has_value()) << size;
    }
    for (std::size_t at = 0; at < good.size(); ++at) {
        for (BYTE value : {BYTE{0x00}, BYTE{0x01}, BYTE{0x7F}, BYTE{0xFF}}) {
            std::vector<BYTE> flipped = good;
            flipped[at] = value;
            const auto contents = ParseLinkFile(flipped.data(), flipped.size());
            // Whatever is taken is a list the platform's check accepts.
            if (contents && !contents->idList.empty()) {
                EXPECT_EQ(ValidateIdList(contents->idList.data(), contents->idList.size()), contents->idList.size());
            }
        }
    }
}

TEST(ShellLinkFile, MissingFileIsNotFound)
{
    const ComPtr<IShellLinkA> link = NewLink();
    EXPECT_EQ(link.As<IPersistFile>()->Load(Wide(pellidor::test::TestRoot() + "/none.lnk").c_str(), 0),
        HRESULT_FROM_WIN32(platform::system::ERROR_FILE_NOT_FOUND));
}
