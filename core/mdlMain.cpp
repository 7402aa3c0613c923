// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/mdlMain.h"

#include <stdexcept>

namespace orvalen {

FileSystem& mdlMain::FileSys() {
    if (!m_fileSys) {
        if (!MakeFileSystem) throw std::logic_error("no file-system service configured");
        m_fileSys = MakeFileSystem();
    }
    return *m_fileSys;
}

}  // namespace orvalen
