// The command-line tool's output: tab-separated fields that cannot split
// their line, and JSON written row by row exactly as the whole document.

#include "cli/Output.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>

#include <cstdio>
#include <memory>
#include <string>

namespace pellidor::cli {
namespace {

// What a writer wrote, through a file in memory.
class Captured {
public:
    Captured() : file_(open_memstream(&data_, &size_)) { }
    ~Captured()
    {
        if (file_ != nullptr)
            std::fclose(file_);
        std::free(data_);
    }
    Captured(const Captured&) = delete;
    Captured& operator=(const Captured&) = delete;

    std::FILE* File() const { return file_; }
    std::string Text()
    {
        std::fflush(file_);
        return std::string(data_, size_);
    }

private:
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* file_;
};

const Row kHeadings = {"Name", "In Folder"};

TEST(TsvOutput, LineBreakingCharactersAreEscapedAndBackslashesKept)
{
    EXPECT_EQ(TsvField("plain name.txt"), "plain name.txt");
    EXPECT_EQ(TsvField("a\tb\nc\rd"), "a\\tb\\nc\\rd");
    EXPECT_EQ(TsvField("Photos\\Beach"), "Photos\\Beach");
    EXPECT_EQ(TsvField(""), "");
    EXPECT_EQ(TsvLine({"a\tb", "", "Docs\\Sub"}), "a\\tb\t\tDocs\\Sub\n");
    EXPECT_EQ(TsvLine({}), "\n");
}

TEST(TsvOutput, HeadingLineThenOneLinePerRow)
{
    Captured out;
    TableWriter writer(out.File(), kHeadings, false);
    ASSERT_TRUE(writer.Begin());
    ASSERT_TRUE(writer.Write({"x.txt", "Docs"}));
    ASSERT_TRUE(writer.Write({"line\nbreak", ""}));
    ASSERT_TRUE(writer.End());
    EXPECT_EQ(out.Text(), "Name\tIn Folder\nx.txt\tDocs\nline\\nbreak\t\n");
}

// Rows written one at a time give byte for byte the document of the whole
// array, for no row, one and several.
class JsonOutput : public testing::TestWithParam<int> { };

TEST_P(JsonOutput, StreamedRowsAreTheIndentedDocumentOfTheWholeArray)
{
    const Row names = {"quote\"d", "tab\there", "ünïcode", "back\\slash", "plain"};
    QJsonArray whole;
    Captured out;
    TableWriter writer(out.File(), kHeadings, true);
    ASSERT_TRUE(writer.Begin());
    for (int i = 0; i < GetParam(); ++i) {
        const Row row = {names[static_cast<std::size_t>(i)], "Docs\\Sub"};
        ASSERT_TRUE(writer.Write(row));
        whole.append(JsonRow(kHeadings, row));
    }
    ASSERT_TRUE(writer.End());
    const std::string text = out.Text();
    EXPECT_EQ(text, QJsonDocument(whole).toJson(QJsonDocument::Indented).toStdString());
    QJsonParseError error{};
    const QJsonDocument parsed = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << text;
    EXPECT_EQ(parsed.array(), whole);
}

INSTANTIATE_TEST_SUITE_P(Rows, JsonOutput, testing::Values(0, 1, 2, 5));

TEST(JsonOutput, RowsAreKeyedByTheirHeadingsAndBadUtf8IsReplaced)
{
    const QJsonObject object = JsonRow(kHeadings, {"bad\xffname", "Docs"});
    EXPECT_EQ(object.size(), 2);
    EXPECT_EQ(object.value(QStringLiteral("In Folder")).toString(), QStringLiteral("Docs"));
    EXPECT_EQ(object.value(QStringLiteral("Name")).toString(), QStringLiteral("bad\uFFFDname"));
    // A short row names only the fields it has.
    EXPECT_EQ(JsonRow(kHeadings, {"only"}).size(), 1);
}

TEST(TableOutput, AFullOutputIsReportedAsAFailure)
{
    std::FILE* full = std::fopen("/dev/full", "w");
    if (full == nullptr)
        GTEST_SKIP() << "no /dev/full";
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(full, std::fclose);
    std::setvbuf(full, nullptr, _IONBF, 0);
    TableWriter writer(full, kHeadings, false);
    EXPECT_FALSE(writer.Begin());
    EXPECT_FALSE(writer.Write({"a", "b"}));
}

} // namespace
} // namespace pellidor::cli
