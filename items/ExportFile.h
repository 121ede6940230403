#pragma once
// CExportFile: the text file a catalog export writes. Lines end in CR LF;
// the text is written as it comes, without a byte-order mark. Writes are
// buffered; the first failure stops further writing and is kept, and what
// was written before it stays in the file.

#include "items/CatItem.h"
#include "platform/system/File.h"

#include <string>
#include <string_view>

namespace pellidor {

// The line every export file begins with.
constexpr std::string_view kExportHeaderLine = "\"Name\";\"Size\";\"Access\";\"Create\";\"Write\";\"Path\"";

class CExportFile final : public IExportWriter {
public:
    CExportFile() = default;
    CExportFile(const CExportFile&) = delete;
    CExportFile& operator=(const CExportFile&) = delete;
    ~CExportFile();

    // Creates the file (replacing an existing one).
    bool Create(const std::string& path);
    // Adds `line` and the line end.
    void WriteLine(std::string_view line) override;
    // Writes what is buffered and closes the file; false when any step of
    // the export failed.
    bool Close();

    // The Windows error of the first failure; 0 while there is none.
    DWORD Error() const { return error_; }

private:
    bool WriteBuffer();

    platform::system::File file_;
    std::string buffer_;
    DWORD error_ = 0;
};

// The file-error string (61857 to 61870) for a Windows error, as the
// framework's file exceptions classify them.
UINT FileErrorStringId(DWORD error);
// That string with %1 replaced by the file's name.
std::string FileErrorText(DWORD error, const std::string& fileName);

} // namespace pellidor
