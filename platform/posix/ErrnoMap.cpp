// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/ErrnoMap.h"

#include <cerrno>
#include <cstring>

namespace orvalen::platform {

int RuntimeNumberForErrno(int e, int notFound) {
    switch (e) {
    case ENOENT:
        return notFound;
    case ENOTDIR:
        return err::kPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    case EBUSY:
    case EISDIR:
        return err::kPermissionDenied;
    // A network mount whose server is gone answers EIO for every entry while
    // the mount folder itself still looks present; the others are its kin.
    case EIO:
    case ENOTCONN:
    case EHOSTDOWN:
    case ETIMEDOUT:
    case ESTALE:
    case ENODEV:
    case ENXIO:
#ifdef ENOMEDIUM
    case ENOMEDIUM:
#endif
        return err::kDeviceUnavailable;
    case EEXIST:
        return err::kFileAlreadyExists;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return err::kDiskFull;
    default:
        return err::kPathFileAccess;
    }
}

RuntimeError ErrorFromErrno(int e, const std::string& what, const std::string& path, int notFound) {
    return RuntimeError(RuntimeNumberForErrno(e, notFound),
                        what + " " + path + ": " + std::strerror(e));
}

}  // namespace orvalen::platform
