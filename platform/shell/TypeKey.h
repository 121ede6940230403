#pragma once
// When may two file names be taken to have the same type without asking the
// file-type database again? The database mostly decides by "*.ext" globs: of
// a name, those see only the endings that start at a dot, and of those only
// the longest one that some glob names can make a difference. The database's
// other globs (whole names such as "Makefile", and patterns like "readme*" or
// "*.so.[0-9]*") see the rest too; a name that any of them might match has no
// shorter key.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace platform::shell {

// Whether a glob is "*.ext" with no wildcard in ext: the database matches
// such a glob against the name's end only, so the ext is an extension.
bool IsExtensionGlob(std::string_view pattern);

class TypeKeyRules {
public:
    // Rules that give no key at all, so that every name is asked for.
    TypeKeyRules() = default;
    // From the glob files' contents (the "weight:type:pattern[:flags]" lines
    // of shared-mime-info's globs2); with none, no name has a key.
    static TypeKeyRules FromGlobFiles(const std::vector<std::string>& contents);

    // The part of `name` that alone decides its type: its longest ending
    // that is a dot and an extension some "*.ext" glob names, in the name's
    // own case (some globs heed case); empty when no such glob matches.
    // None when a glob other than "*.ext" could match the name, and for
    // names with "/" or bytes outside ASCII, whose case folding the check
    // could not follow.
    std::optional<std::string> KeyOf(const std::string& name) const;

private:
    void AddGlobLine(const std::string& line);

    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    struct OtherPattern {
        std::string text; // lower case
        bool wildcard = false; // else a whole name
    };

    bool usable_ = false;
    // The ext of every "*.ext" glob with a plain ext, lower case.
    std::unordered_set<std::string, TextHash, std::equal_to<>> extensions_;
    std::vector<OtherPattern> otherPatterns_;
};

} // namespace platform::shell
