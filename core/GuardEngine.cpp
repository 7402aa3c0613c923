// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/GuardEngine.h"

#include <exception>

#include "core/PathText.h"
#include "core/RuntimeError.h"

namespace orvalen {

namespace {

class BusyScope {
public:
    explicit BusyScope(BusyIndicator* busy) : m_busy(busy) {
        if (m_busy) m_busy->setBusy(true);
    }
    ~BusyScope() {
        if (m_busy) m_busy->setBusy(false);
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    BusyIndicator* m_busy;
};

}  // namespace

GuardEngine::GuardEngine(mdlMain& shared, UserPrompt& prompt, RunStopper& run)
    : m_shared(shared), m_prompt(prompt), m_run(run) {}

void GuardEngine::tmrTimer_Timer() {
    // The pass's message boxes run a nested event loop in which ticks keep
    // arriving; starting a pass there would clobber the shared values.
    if (m_inPass) return;
    m_inPass = true;
    static const std::atomic<bool> kNeverStopped{false};
    try {
        runPass(m_shared.Items, kNeverStopped);
    } catch (...) {
        m_inPass = false;
        throw;
    }
    m_inPass = false;
}

void GuardEngine::runPass(const ItemList& items, const std::atomic<bool>& stopped) {
    m_items = &items;
    m_stopped = &stopped;
    const int n = items.count();  // the bound is fixed for this pass
    // Nothing seen by an earlier pass is trusted.
    if (n > 0) forgetSeenFolders();
    for (int i = 0; i < n && !stopped; ++i) {
        m_shared.ItemIndex = static_cast<std::int16_t>(i);
        if (!processItem()) return;
        m_silentEnds.guarded(m_shared.SourcePath, m_itemDestination);
    }
}

template <typename Step>
bool GuardEngine::attempt(Step&& step) {
    for (;;) {
        int number = 0;
        try {
            step();
            return true;
        } catch (const RuntimeError& e) {
            number = e.number();
        } catch (const std::exception&) {
            number = err::kPathFileAccess;
        }
        if (handleFailure(number) == Outcome::EndPass) return false;
        // The box was up for as long as the user liked.
        forgetSeenFolders();
    }
}

void GuardEngine::forgetSeenFolders() {
    try {
        m_shared.FileSys().ForgetSeenFolders();
    } catch (...) {
        // A service that cannot be had fails the item's first step, which says why.
    }
}

GuardEngine::Outcome GuardEngine::handleFailure(int number) {
    // A call that returns after Stop or Exit asks nothing: the user has already
    // ended the run.
    if (*m_stopped) return Outcome::EndPass;
    std::string message;
    if (number == err::kPathNotFound) message = missingFolderMessage();
    else if (number == err::kPermissionDenied) message = accessRefusedMessage();
    else {
        m_silentEnds.ended(m_shared.SourcePath, m_itemDestination, m_shared.DestinationPath, number);
        return Outcome::EndPass;
    }

    if (m_prompt.askRetryCancel(message) == UserPrompt::Answer::Retry) return Outcome::Done;
    m_run.Stop();
    return Outcome::EndPass;
}

std::string GuardEngine::missingFolderMessage() const {
    // Name the real folder of the source: a folder item's own path, or the
    // folder that holds a file item's file.
    const std::string& source = m_shared.SourcePath;
    const std::string folder = m_itemIsFile ? path::GetParentFolderName(source) : source;
    return "The source folder " + folder +
           " does not exist. Create the folder yourself and click Retry, or click Cancel to end "
           "execution.";
}

std::string GuardEngine::accessRefusedMessage() const {
    return "The destination file " + m_shared.DestinationPath +
           " is in use, or you do not have access to the destination path.";
}

bool GuardEngine::processItem() {
    mdlMain& s = m_shared;
    const int row = s.ItemIndex;
    const ItemList& items = *m_items;
    if (!attempt([&] { s.SourcePath = items.source(row); })) return false;
    if (!attempt([&] { m_itemDestination = s.DestinationPath = items.destination(row); })) return false;
    if (!attempt([&] { m_itemIsFile = items.ItemIsFile(row); })) return false;
    return guardItem();
}

bool GuardEngine::guardItem() {
    mdlMain& s = m_shared;
    const bool isFile = m_itemIsFile;
    // The source is opened first: a source that cannot be opened fails the item
    // even when its copy is intact.
    if (!attempt([&] {
            if (isFile) s.SourceFile = s.FileSys().GetFile(s.SourcePath);
            else s.SourceFolder = s.FileSys().GetFolder(s.SourcePath);
        }))
        return false;
    // Nothing is looked at or written where the destination's share has gone.
    if (!attempt([&] { s.FileSys().CheckDestination(s.DestinationPath); })) return false;
    FindName();
    s.DestinationPath += s.ItemName;

    bool exists = false;
    if (!attempt([&] {
            exists = isFile ? s.FileSys().FileExists(s.DestinationPath)
                            : s.FileSys().FolderExistsNoFollow(s.DestinationPath);
        }))
        return false;
    if (exists) {
        if (!attempt([&] {
                if (isFile) s.DestFile = s.FileSys().GetFile(s.DestinationPath);
                else s.DestFolder = s.FileSys().GetFolder(s.DestinationPath);
            }))
            return false;
        bool differ = false;
        if (!attempt([&] {
                FileSystem& fs = s.FileSys();
                differ = isFile ? fs.Size(s.DestFile) != fs.Size(s.SourceFile)
                                : fs.Size(s.DestFolder) != fs.Size(s.SourceFolder);
            }))
            return false;
        return !differ || attempt([&] { copyItem(); });
    }

    bool parentMissing = false;
    if (!attempt([&] {
            FileSystem& fs = s.FileSys();
            parentMissing = !fs.FolderExists(fs.GetParentFolderName(s.DestinationPath));
        }))
        return false;
    if (parentMissing && !attempt([&] { CreateDestinationFolder(); })) return false;
    return attempt([&] { copyItem(); });
}

void GuardEngine::copyItem() {
    if (m_itemIsFile) CopyFile();
    else CopyFolder();
}

void GuardEngine::FindName() {
    const std::string& source = m_shared.SourcePath;
    const auto p = source.rfind(path::kSeparator);
    // Without a separator the name stays what it was.
    if (p != std::string::npos) m_shared.ItemName = source.substr(p + 1);
}

void GuardEngine::CopyFile() {
    BusyScope busy(m_busy);
    m_shared.FileSys().Copy(m_shared.SourceFile, m_shared.DestinationPath);
}

void GuardEngine::CopyFolder() {
    BusyScope busy(m_busy);
    m_shared.FileSys().Copy(m_shared.SourceFolder, m_shared.DestinationPath);
}

void GuardEngine::CreateDestinationFolder() {
    mdlMain& s = m_shared;
    FileSystem& fs = s.FileSys();
    auto& levels = s.PathLevels;
    const int top = static_cast<int>(levels.size()) - 1;  // 100

    levels[0] = s.DestinationPath;
    int level = 0;
    for (;;) {
        std::string parent = fs.GetParentFolderName(levels[static_cast<std::size_t>(level)]);
        if (fs.FolderExists(parent)) break;
        // No ancestor at all (a missing volume) ends here, before anything is created.
        if (level + 1 > top)
            throw RuntimeError(err::kSubscriptOutOfRange,
                               "more than 100 missing folders above " + s.DestinationPath);
        levels[static_cast<std::size_t>(++level)] = std::move(parent);
    }
    for (int k = level; k >= 1; --k) fs.CreateFolder(levels[static_cast<std::size_t>(k)]);
}

}  // namespace orvalen
