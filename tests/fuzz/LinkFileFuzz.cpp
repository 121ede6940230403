// Fuzz target: shell-link files, as the explorer's Favorites menu loads
// them. Besides crashes and reads past the input, the target stops on a
// broken contract: a file that is taken must be exactly what the writer
// makes of its contents, and its identifier list must pass the platform's
// check (so nothing that reads the list later meets a bad one).

#include "platform/shell/NamespaceIds.h"
#include "platform/shell/ShellLink.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto contents = platform::shell::ParseLinkFile(data, size);
    if (!contents)
        return 0;
    const std::vector<BYTE> again = platform::shell::FormatLinkFile(*contents);
    if (again.size() != size || std::memcmp(again.data(), data, size) != 0)
        std::abort();
    const std::vector<BYTE>& list = contents->idList;
    if (!list.empty() && platform::shell::ValidateIdList(list.data(), list.size()) != list.size())
        std::abort();
    return 0;
}
