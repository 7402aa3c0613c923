// SPDX-License-Identifier: GPL-3.0-or-later
#include <sys/stat.h>

#include <string>

#include "platform/FileProbe.h"

namespace orvalen::platform {

namespace {

class PosixFileProbe : public FileProbe {
public:
    bool IsOrdinaryFile(const std::string& path) override {
        if (path.empty() || path.find('\0') != std::string::npos) return false;
        // Hidden is a property of the name here, and only the file's own name
        // counts, as a hidden attribute would be the file's own.
        const std::size_t slash = path.rfind('/');
        const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        if (name.empty() || name.front() == '.') return false;
        // stat follows links: a link to a program is as good as the program.
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) return false;
        return S_ISREG(info.st_mode);
    }
};

}  // namespace

std::unique_ptr<FileProbe> MakeSystemFileProbe() { return std::make_unique<PosixFileProbe>(); }

}  // namespace orvalen::platform
