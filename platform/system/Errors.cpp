#include "platform/system/Errors.h"

#include <cerrno>
#include <string_view>

namespace platform::system {

namespace {

thread_local DWORD t_lastError = ERROR_SUCCESS;

struct ErrorText {
    DWORD error;
    std::string_view text;
};

// The texts the system gives for its errors, in English, as the product's
// failure messages quote them.
constexpr ErrorText kTexts[] = {
    {ERROR_SUCCESS, "The operation completed successfully."},
    {1, "Incorrect function."},
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
    {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
    {ERROR_TOO_MANY_OPEN_FILES, "The system cannot open the file."},
    {ERROR_ACCESS_DENIED, "Access is denied."},
    {ERROR_INVALID_HANDLE, "The handle is invalid."},
    {ERROR_NOT_ENOUGH_MEMORY, "Not enough memory resources are available to process this command."},
    {ERROR_INVALID_DATA, "The data is invalid."},
    {ERROR_INVALID_DRIVE, "The system cannot find the drive specified."},
    {ERROR_NOT_SAME_DEVICE, "The system cannot move the file to a different disk drive."},
    {ERROR_WRITE_PROTECT, "The media is write protected."},
    {ERROR_NOT_READY, "The device is not ready."},
    {ERROR_WRITE_FAULT, "The system cannot write to the specified device."},
    {ERROR_READ_FAULT, "The system cannot read from the specified device."},
    {ERROR_GEN_FAILURE, "A device attached to the system is not functioning."},
    {ERROR_SHARING_VIOLATION, "The process cannot access the file because it is being used by another process."},
    {ERROR_LOCK_VIOLATION,
        "The process cannot access the file because another process has locked a portion of the file."},
    {ERROR_HANDLE_EOF, "Reached the end of the file."},
    {ERROR_HANDLE_DISK_FULL, "The disk is full."},
    {ERROR_NOT_SUPPORTED, "The request is not supported."},
    {ERROR_FILE_EXISTS, "The file exists."},
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
    {ERROR_DISK_FULL, "There is not enough space on the disk."},
    {ERROR_INVALID_NAME, "The filename, directory name, or volume label syntax is incorrect."},
    {ERROR_DIR_NOT_EMPTY, "The directory is not empty."},
    {ERROR_BUSY, "The requested resource is in use."},
    {ERROR_ALREADY_EXISTS, "Cannot create a file when that file already exists."},
    {ERROR_FILENAME_EXCED_RANGE, "The filename or extension is too long."},
    {ERROR_MORE_DATA, "More data is available."},
    {ERROR_NO_MORE_ITEMS, "No more data is available."},
    {ERROR_DIRECTORY, "The directory name is invalid."},
    {ERROR_BADDB, "The configuration registry database is corrupt."},
    {ERROR_KEY_DELETED, "Illegal operation attempted on a registry key that has been marked for deletion."},
    {ERROR_IO_DEVICE, "The request could not be performed because of an I/O device error."},
    {ERROR_CANCELLED, "The operation was canceled by the user."},
};

} // namespace

DWORD GetLastError()
{
    return t_lastError;
}

void SetLastError(DWORD error)
{
    t_lastError = error;
}

DWORD ErrorFromErrno(int errnoValue)
{
    switch (errnoValue) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case ENODEV:
    case ENXIO:
    case ENOMEDIUM:
        return ERROR_NOT_READY;
    case EROFS:
        return ERROR_WRITE_PROTECT;
    case EXDEV:
        return ERROR_NOT_SAME_DEVICE;
    case ETXTBSY:
    case EWOULDBLOCK:
        return ERROR_SHARING_VIOLATION;
    case EBUSY:
        return ERROR_BUSY;
    case EOPNOTSUPP:
        return ERROR_NOT_SUPPORTED;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return ERROR_DISK_FULL;
    case EILSEQ:
        return ERROR_INVALID_NAME;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case EEXIST:
        return ERROR_ALREADY_EXISTS;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EIO:
        return ERROR_IO_DEVICE;
    case ECANCELED:
        return ERROR_CANCELLED;
    default:
        return ERROR_GEN_FAILURE;
    }
}

std::string ErrorMessage(DWORD error)
{
    for (const ErrorText& entry : kTexts) {
        if (entry.error == error)
            return std::string(entry.text);
    }
    return "Unknown error " + std::to_string(error) + ".";
}

} // namespace platform::system
