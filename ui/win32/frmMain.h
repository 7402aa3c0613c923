// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// First: it takes back the name MessageBox from <windows.h>.
#include "ui/win32/Win32Window.h"

#include <functional>
#include <memory>

#include "core/PassRunner.h"
#include "core/RunControl.h"
#include "core/UserPrompt.h"
#include "core/WindowThread.h"
#include "core/mdlMain.h"
#include "ui/logic/MainWindowLogic.h"

namespace orvalen::ui::win32 {

class frmBrowse;

// The main window: the item list, the entry editor (MainWindowLogic) and run
// control. Its message boxes answer the guard pass, tmrTimer is a window
// timer, and the pass thread reaches the window through posted messages.
class frmMain : public Win32Window,
                private MainWindowView,
                private UserPrompt,
                private RunView,
                private RunTimer,
                private BusyIndicator,
                private WindowThread {
public:
    static constexpr int kInitialIntervalMs = 5000;

    explicit frmMain(mdlMain& shared);
    ~frmMain() override;

    // The load step: shows the Instructions window modally, which shows this
    // window first; returns when it has been closed.
    void Form_Load();
    PassRunner& passRunner() { return m_runner; }

private:
    LRESULT proc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void command(int id, int code, HWND control) override;
    bool preTranslate(MSG& msg) override;

    void buildMenu();
    void buildControls();
    void listSelectionChanged(HWND list);
    void drawPath(const DRAWITEMSTRUCT& item) const;
    void drawListRow(const DRAWITEMSTRUCT& item) const;
    void mnuFileExit_Click();

    // MainWindowView
    void setButtonEnabled(MainButton button, bool enabled) override;
    std::string sourcePath() const override { return m_sourcePath; }
    std::string destinationPath() const override { return m_destinationPath; }
    // PathFields: also what the browse dialog writes.
    void setSourcePath(const std::string& path) override;
    void setDestinationPath(const std::string& path) override;
    int rowCount() const override { return m_shared.Items.count(); }
    int selectedRow() const override { return m_shared.Items.selectedRow(); }
    bool appendItem(const std::string& source, const std::string& destination, bool isFile) override;
    void replaceItem(int row, const std::string& source, const std::string& destination) override;
    void removeItem(int row) override;
    void showBrowseDialog() override;
    MessageBox::Answer showMessage(const MessageBox& box) override;
    // UserPrompt
    void warn(const std::string& text) override;
    Answer askRetryCancel(const std::string& text) override;
    // RunView
    std::string intervalText() const override;
    void setStatus(const std::string& text) override;
    void setStartEnabled(bool enabled) override { setButtonEnabled(MainButton::cmdStart, enabled); }
    void setStopEnabled(bool enabled) override { setButtonEnabled(MainButton::cmdStop, enabled); }
    void focusStop() override;
    void focusInterval() override;
    // RunTimer, over a window timer
    void setInterval(int milliseconds) override;
    int interval() const override { return m_intervalMs; }
    void start() override;
    void stop() override;
    bool isActive() const override { return m_timerOn; }
    // BusyIndicator
    void setBusy(bool busy) override;
    // WindowThread
    void post(std::function<void()> call) override;

    void showSelection();

    // Destroyed after the runner: drops the calls it posted that never ran.
    struct PostedCalls {
        frmMain& window;
        ~PostedCalls();
    } m_postedCalls{*this};
    mdlMain& m_shared;
    MainWindowLogic m_logic;
    RunControl m_run;
    PassRunner m_runner;
    std::unique_ptr<frmBrowse> m_browse;
    HMENU m_menu = nullptr;
    HACCEL m_accelerators = nullptr;
    HWND m_tooltips = nullptr;
    std::string m_sourcePath;
    std::string m_destinationPath;
    int m_intervalMs = kInitialIntervalMs;
    bool m_timerOn = false;
    bool m_busy = false;
    bool m_exiting = false;
};

}  // namespace orvalen::ui::win32
