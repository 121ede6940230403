#pragma once
// When may two file names be taken to have the same type without asking the
// file-type database again? When the same globs match both: the database
// picks among the globs that match by their weights and lengths alone.
// Of the "*.ext" globs, those that match a name are told by its longest
// ending that starts at a dot and that some glob names. The database's
// other globs (whole names such as "Makefile", and patterns like "readme*"
// or "*.so.[0-9]*") are few, so each is tried and the ones that match join
// the key.

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
    // From the glob files the database itself is built from, in every data
    // directory; none when one of them cannot be read.
    static TypeKeyRules Installed();

    // What alone decides the type of `name`: its longest ending that is a
    // dot and an extension some "*.ext" glob names, in the name's own case
    // (some globs heed case), or nothing when no such glob matches; then
    // "/" and the numbers of the other globs that match, if any do.
    // None for names with "/", with bytes that are not UTF-8, or with one
    // of the few characters whose lower case is not one character outside
    // ASCII, since the database folds case before it matches.
    std::optional<std::string> KeyOf(const std::string& name) const;

private:
    void AddGlobLine(const std::string& line);

    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    struct OtherPattern {
        std::string text; // lower case unless caseSensitive
        bool wildcard = false; // else a whole name
        bool caseSensitive = false;
    };

    bool usable_ = false;
    // The ext of every "*.ext" glob with a plain ext, lower case.
    std::unordered_set<std::string, TextHash, std::equal_to<>> extensions_;
    std::vector<OtherPattern> otherPatterns_;
};

} // namespace platform::shell
