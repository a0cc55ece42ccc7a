#include "keldrun/files/file_errors.h"

#include "common/errors.h"

namespace keldrun {

int32_t fileErrorNumber(uint32_t systemError) {
    switch (systemError) {
        case 2:    // ERROR_FILE_NOT_FOUND
        case 18:   // ERROR_NO_MORE_FILES
            return frame::errFileNotFound;
        case 3:    // ERROR_PATH_NOT_FOUND
            return frame::errPathNotFound;
        case 4:    // ERROR_TOO_MANY_OPEN_FILES
            return 67;
        case 8:    // ERROR_NOT_ENOUGH_MEMORY
        case 14:   // ERROR_OUTOFMEMORY
            return frame::errOutOfMemory;
        case 15:   // ERROR_INVALID_DRIVE
        case 53:   // ERROR_BAD_NETPATH
        case 67:   // ERROR_BAD_NET_NAME
            return 68;  // Device unavailable
        case 17:   // ERROR_NOT_SAME_DEVICE
            return 74;  // Can't rename with different drive
        case 19:   // ERROR_WRITE_PROTECT
        case 32:   // ERROR_SHARING_VIOLATION
        case 33:   // ERROR_LOCK_VIOLATION
            return frame::errPermissionDenied;
        case 21:   // ERROR_NOT_READY
            return 71;  // Disk not ready
        case 39:   // ERROR_HANDLE_DISK_FULL
        case 112:  // ERROR_DISK_FULL
            return frame::errDiskFull;
        case 80:   // ERROR_FILE_EXISTS
        case 183:  // ERROR_ALREADY_EXISTS
            return frame::errFileAlreadyExists;
        case 87:   // ERROR_INVALID_PARAMETER
        case 123:  // ERROR_INVALID_NAME
        case 161:  // ERROR_BAD_PATHNAME
        case 206:  // ERROR_FILENAME_EXCED_RANGE
            return frame::errBadFileNameOrNumber;
        default:   // access denied, a folder not empty, and the rest
            return frame::errPathFileAccess;
    }
}

}  // namespace keldrun
