#pragma once
// CExportFile: the text file a catalog export writes. Lines end in CR LF;
// the text is written as it comes, without a byte-order mark. Writes are
// buffered; the first failure stops further writing and is kept, and a file
// whose export failed is removed when it is closed: half an export is not
// left to pass for a whole one.

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
    // the export failed, and then the file this object created is removed.
    bool Close();

    // The Windows error of the first failure; 0 while there is none.
    DWORD Error() const { return error_; }

private:
    bool WriteBuffer();

    platform::system::File file_;
    std::string path_; // set once Create has made the file
    std::string buffer_;
    DWORD error_ = 0;
};

// A failed file operation: the Windows error and the file it concerns.
struct FileError {
    DWORD code = 0;
    std::string path;
};

// The file-error string (61857 to 61870) for a Windows error, as the
// framework's file exceptions classify them.
UINT FileErrorStringId(DWORD error);
// That string with %1 replaced by the file's name.
std::string FileErrorText(DWORD error, const std::string& fileName);
std::string FileErrorText(const FileError& error);

} // namespace pellidor
