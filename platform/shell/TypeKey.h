#pragma once
// When may two file names be taken to have the same type without asking the
// file-type database again? The database mostly decides by "*.ext" globs, and
// those see only the part of a name from its first dot. Its other globs (whole
// names such as "Makefile", and patterns like "readme*" or "*.so.[0-9]*") see
// the rest too; a name that any of them might match has no shorter key.

#include <optional>
#include <string>
#include <vector>

namespace platform::shell {

class TypeKeyRules {
public:
    // Rules that give no key at all, so that every name is asked for.
    TypeKeyRules() = default;
    // From the glob files' contents (the "weight:type:pattern[:flags]" lines
    // of shared-mime-info's globs2); with none, no name has a key.
    static TypeKeyRules FromGlobFiles(const std::vector<std::string>& contents);

    // The part of `name` that alone decides its type: the name from its first
    // dot (empty without a dot). None when a glob other than "*.ext" could
    // match the name, and for names with "/" or bytes outside ASCII, whose
    // case folding the check could not follow.
    std::optional<std::string> KeyOf(const std::string& name) const;

private:
    void AddGlobLine(const std::string& line);

    bool usable_ = false;
    // Patterns other than "*.ext" with a plain ext, lower case.
    std::vector<std::string> otherPatterns_;
};

} // namespace platform::shell
