// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <string>

#include "core/PassLog.h"
#include "core/RunControl.h"
#include "core/UserPrompt.h"
#include "core/mdlMain.h"

namespace orvalen {

// Shown while a pass copies (a busy cursor in the window).
class BusyIndicator {
public:
    virtual ~BusyIndicator() = default;
    virtual void setBusy(bool busy) = 0;
};

// The guard pass and the recopy operations. They work on the program-wide
// values of mdlMain, as the windows see them.
class GuardEngine {
public:
    GuardEngine(mdlMain& shared, UserPrompt& prompt, RunStopper& run);

    void setBusyIndicator(BusyIndicator* busy) { m_busy = busy; }
    // Where a pass that ends without a message says why.
    void setPassLog(PassLog* log) { m_silentEnds.setLog(log); }

    // One tick: one pass over the item list. A tick that arrives while a pass
    // runs or waits for the user's answer is dropped, so passes never overlap.
    void tmrTimer_Timer();
    bool passRunning() const { return m_inPass; }

    // One pass over `items`. Once `stopped` is set no further item starts and
    // no question is asked: the run has been stopped or the program is ending.
    void runPass(const ItemList& items, const std::atomic<bool>& stopped);

    // The recopy operations, on the shared values of the row being processed.
    void FindName();
    void CopyFile();
    void CopyFolder();
    void CreateDestinationFolder();

private:
    enum class Outcome { Done, EndPass };

    // Returns false when the pass must end.
    bool processItem();
    // The rest of the item's steps, the same for both kinds of item.
    bool guardItem();
    void copyItem();

    // Runs one step; on a failure asks the user where the number calls for it.
    // Retry repeats exactly this step; true when the step finally succeeded.
    template <typename Step>
    bool attempt(Step&& step);
    Outcome handleFailure(int number);
    void forgetSeenFolders();

    std::string missingFolderMessage() const;
    std::string accessRefusedMessage() const;

    mdlMain& m_shared;
    UserPrompt& m_prompt;
    RunStopper& m_run;
    BusyIndicator* m_busy = nullptr;
    bool m_inPass = false;
    bool m_itemIsFile = false;  // kind of the row being processed
    std::string m_itemDestination;  // as listed: rows move when one above is deleted
    const ItemList* m_items = nullptr;              // the list the pass walks
    const std::atomic<bool>* m_stopped = nullptr;   // set by Stop during the pass
    SilentEnds m_silentEnds;
};

}  // namespace orvalen
