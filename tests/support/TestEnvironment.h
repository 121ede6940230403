#pragma once
// The world of one test: a temporary directory that holds the test's home,
// data and config directories and its drive table. Made fresh before every
// test and removed after it, so tests never touch the real user's files and
// run in any order.

#include <string>
#include <vector>

namespace pellidor::test {

// The test's temporary directory (also $HOME).
std::string TestRoot();
// A path inside it; the directories on the way are created.
std::string TestPath(const std::string& relative);
// Writes `content` to the file at `path` (created or replaced).
void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
// The lines of `text`, without their line ends.
std::vector<std::string> SplitLines(const std::string& text);
// The directory of the built programs (pellidor, the test helpers).
std::string BinDirectory();

} // namespace pellidor::test
