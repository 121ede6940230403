#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace pellidor::test {

std::string TestRoot()
{
    const char* root = std::getenv("PELLIDOR_TEST_ROOT");
    if (root == nullptr)
        throw std::logic_error("no test environment");
    return root;
}

std::string TestPath(const std::string& relative)
{
    const std::string path = TestRoot() + "/" + relative;
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath());
    return path;
}

void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t end = text.find('\n', begin);
        lines.push_back(text.substr(begin, end - begin));
        if (end == std::string::npos)
            break;
        begin = end + 1;
    }
    return lines;
}

std::string BinDirectory()
{
    const char* dir = std::getenv("PELLIDOR_BIN_DIR");
    return dir != nullptr ? dir : ".";
}

} // namespace pellidor::test
