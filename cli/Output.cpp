#include "cli/Output.h"

#include <QJsonArray>
#include <QString>

#include <algorithm>
#include <utility>

namespace pellidor::cli {

namespace {

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// One element of an indented array, as QJsonDocument lays it out inside the
// whole array: without the brackets' lines and the separating comma.
std::string IndentedElement(const QJsonObject& object)
{
    const QByteArray array = QJsonDocument(QJsonArray{object}).toJson(QJsonDocument::Indented);
    // "[\n" + element + "\n]\n"
    constexpr qsizetype kOpen = 2;
    constexpr qsizetype kClose = 3;
    return array.mid(kOpen, array.size() - kOpen - kClose).toStdString();
}

} // namespace

std::string TsvField(std::string_view text)
{
    if (std::none_of(text.begin(), text.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }))
        return std::string(text);
    std::string out;
    out.reserve(text.size() + 2);
    for (const char c : text) {
        if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::string TsvLine(const Row& fields)
{
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += '\t';
        line += TsvField(fields[i]);
    }
    line += '\n';
    return line;
}

QJsonObject JsonRow(const Row& headings, const Row& row)
{
    QJsonObject object;
    for (std::size_t i = 0; i < headings.size() && i < row.size(); ++i)
        object.insert(FromUtf8(headings[i]), FromUtf8(row[i]));
    return object;
}

TableWriter::TableWriter(std::FILE* out, Row headings, bool json)
    : out_(out)
    , headings_(std::move(headings))
    , json_(json)
{
}

bool TableWriter::Put(const std::string& text)
{
    return std::fwrite(text.data(), 1, text.size(), out_) == text.size();
}

bool TableWriter::Begin()
{
    return Put(json_ ? std::string("[\n") : TsvLine(headings_));
}

bool TableWriter::Write(const Row& row)
{
    if (!json_)
        return Put(TsvLine(row));
    const std::string element = IndentedElement(JsonRow(headings_, row));
    const bool first = !std::exchange(anyRow_, true);
    return Put(first ? element : ",\n" + element);
}

bool TableWriter::End()
{
    if (!json_)
        return true;
    return Put(anyRow_ ? "\n]\n" : "]\n");
}

bool PrintTable(const Row& headings, const std::vector<Row>& rows, bool json)
{
    TableWriter writer(stdout, headings, json);
    bool written = writer.Begin();
    for (const Row& row : rows)
        written = writer.Write(row) && written;
    return writer.End() && written;
}

bool PrintJson(const QJsonDocument& document)
{
    const QByteArray text = document.toJson(QJsonDocument::Indented);
    return std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout)
        == static_cast<std::size_t>(text.size());
}

} // namespace pellidor::cli
