#include "items/ExportFile.h"

#include "module/Resources.h"
#include "platform/system/Errors.h"
#include "platform/ui/Strings.h"

namespace pellidor {

namespace {

// Written to the file whenever this much is buffered.
constexpr std::size_t kFlushSize = 1 << 16;

// Windows errors the file-error table knows that the platform never reports
// (kept so the table stays whole).
constexpr DWORD kErrorCurrentDirectory = 16;
constexpr DWORD kErrorSeek = 25;
constexpr DWORD kErrorCannotMake = 82;
constexpr DWORD kErrorNegativeSeek = 131;

} // namespace

CExportFile::~CExportFile()
{
    if (file_.IsOpen())
        Close();
}

bool CExportFile::Create(const std::string& path)
{
    buffer_.clear();
    error_ = 0;
    if (file_.Open(path, platform::system::File::Mode::CreateAlways))
        return true;
    error_ = file_.LastError() != 0 ? file_.LastError() : platform::system::ERROR_GEN_FAILURE;
    return false;
}

void CExportFile::WriteLine(std::string_view line)
{
    if (error_ != 0 || !file_.IsOpen())
        return;
    buffer_.append(line);
    buffer_.append("\r\n");
    if (buffer_.size() >= kFlushSize)
        WriteBuffer();
}

bool CExportFile::WriteBuffer()
{
    if (buffer_.empty())
        return true;
    if (!file_.Write(buffer_.data(), buffer_.size())) {
        error_ = file_.LastError() != 0 ? file_.LastError() : platform::system::ERROR_WRITE_FAULT;
        buffer_.clear();
        return false;
    }
    buffer_.clear();
    return true;
}

bool CExportFile::Close()
{
    if (!file_.IsOpen())
        return error_ == 0;
    if (error_ == 0 && WriteBuffer() && !file_.Flush())
        error_ = file_.LastError() != 0 ? file_.LastError() : platform::system::ERROR_WRITE_FAULT;
    file_.Close();
    return error_ == 0;
}

UINT FileErrorStringId(DWORD error)
{
    namespace sys = platform::system;
    switch (error) {
    case sys::ERROR_FILE_NOT_FOUND:
        return 61858;
    case sys::ERROR_PATH_NOT_FOUND:
    case sys::ERROR_INVALID_DRIVE:
    case sys::ERROR_INVALID_NAME:
    case sys::ERROR_FILENAME_EXCED_RANGE:
        return 61859;
    case sys::ERROR_TOO_MANY_OPEN_FILES:
        return 61860;
    case sys::ERROR_ACCESS_DENIED:
    case sys::ERROR_WRITE_PROTECT:
    case sys::ERROR_DIRECTORY:
        return 61861;
    case sys::ERROR_INVALID_HANDLE:
        return 61862;
    case kErrorCurrentDirectory:
        return 61863;
    case kErrorCannotMake:
        return 61864;
    case kErrorSeek:
    case kErrorNegativeSeek:
        return 61865;
    case sys::ERROR_NOT_READY:
    case sys::ERROR_WRITE_FAULT:
    case sys::ERROR_READ_FAULT:
    case sys::ERROR_IO_DEVICE:
        return 61866;
    case sys::ERROR_SHARING_VIOLATION:
        return 61867;
    case sys::ERROR_LOCK_VIOLATION:
        return 61868;
    case sys::ERROR_DISK_FULL:
    case sys::ERROR_HANDLE_DISK_FULL:
        return 61869;
    case sys::ERROR_HANDLE_EOF:
        return 61870;
    default:
        return 61857;
    }
}

std::string FileErrorText(DWORD error, const std::string& fileName)
{
    return platform::ui::FormatInserts(LoadString(FileErrorStringId(error)), {fileName});
}

} // namespace pellidor
