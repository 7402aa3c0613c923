// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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
    GuardEngine(mdlMain& shared, UserPrompt& prompt, RunControl& run);

    void setBusyIndicator(BusyIndicator* busy) { m_busy = busy; }
    // Where a pass that ends without a message says why.
    void setPassLog(PassLog* log) { m_silentEnds.setLog(log); }

    // One tick: one pass over the item list. A tick that arrives while a pass
    // runs or waits for the user's answer is dropped, so passes never overlap.
    void tmrTimer_Timer();
    bool passRunning() const { return m_inPass; }

    // The recopy operations, on the shared values of the row being processed.
    void FindName();
    void CopyFile();
    void CopyFolder();
    void CreateDestinationFolder();

private:
    enum class Outcome { Done, EndPass };

    void runPass();
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

    std::string missingFolderMessage() const;
    std::string accessRefusedMessage() const;

    mdlMain& m_shared;
    UserPrompt& m_prompt;
    RunControl& m_run;
    BusyIndicator* m_busy = nullptr;
    bool m_inPass = false;
    bool m_itemIsFile = false;  // kind of the row being processed
    int m_passCount = 0;        // rows of the pass under way
    SilentEnds m_silentEnds;
};

}  // namespace orvalen
