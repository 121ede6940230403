#pragma once
// The command-line tool's one way of writing results: tab-separated lines
// under a heading line, or JSON through Qt's JSON classes. Every command
// that prints a table (find, ls, shelf, info) or a document (dump) writes it
// here, so a field is escaped alike wherever it appears.

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace pellidor::cli {

using Row = std::vector<std::string>;

// A field of a tab-separated line: a tab, line feed or carriage return in it
// becomes \t, \n or \r, so it cannot split its line. Backslashes stay as they
// are: the "In Folder" column has them between names.
std::string TsvField(std::string_view text);
// The fields joined by tabs, with the line end.
std::string TsvLine(const Row& fields);
// The object of `headings` as keys and `row`'s fields as their values; a
// text that is not valid UTF-8 gets replacement characters.
QJsonObject JsonRow(const Row& headings, const Row& row);

// Writes a table one row at a time, as the rows come: tab-separated lines
// under the heading line, or a JSON array of objects keyed by the headings,
// laid out as QJsonDocument indents the whole array. Each call answers
// whether its bytes were written.
class TableWriter {
public:
    TableWriter(std::FILE* out, Row headings, bool json);

    // Before the first row: the heading line, or the array's opening.
    bool Begin();
    bool Write(const Row& row);
    // After the last row.
    bool End();

private:
    bool Put(const std::string& text);

    std::FILE* out_;
    Row headings_;
    bool json_;
    bool anyRow_ = false;
};

// A whole table at once.
bool PrintTable(const Row& headings, const std::vector<Row>& rows, bool json);
// A JSON document, indented, on standard output.
bool PrintJson(const QJsonDocument& document);

} // namespace pellidor::cli
