// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>
#include <QString>

#include <cstdint>
#include <functional>

#include "core/GuardEngine.h"
#include "core/PassRunner.h"
#include "core/RunControl.h"
#include "core/UserPrompt.h"
#include "core/WindowThread.h"
#include "core/mdlMain.h"
#include "ui/qt/BrowseLauncher.h"
#include "ui/qt/PathCaptions.h"

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPushButton;
class QTimer;

namespace orvalen::ui {

class ItemListModel;
class PathLabel;

// The main window: the item list, the entry editor and run control. Its
// message boxes answer the guard pass (UserPrompt), its controls are what run
// control reads and sets (RunView), tmrTimer is the run's timer (RunTimer),
// a busy cursor shows while a pass copies (BusyIndicator), and the pass,
// which runs on a thread of its own, reaches the window through its event
// loop (WindowThread).
class frmMain : public QMainWindow,
                public PathCaptions,
                private UserPrompt,
                private RunView,
                private RunTimer,
                private BusyIndicator,
                private WindowThread {
    Q_OBJECT
public:
    static constexpr int kInitialIntervalMs = 5000;
    static const QString kMsgNoItemSelected;
    static const QString kMsgNoSource;
    static const QString kMsgNoDestination;
    static const QString kMsgListFull;

    // `makeVolumes` gives the browse dialog its volumes; tests pass a fake.
    explicit frmMain(mdlMain& shared, QWidget* parent = nullptr,
                     BrowseLauncher::VolumeSourceFactory makeVolumes =
                         &platform::MakeSystemVolumeSource);
    ~frmMain() override;

    // The load step: opens the Instructions window modally, which shows this
    // window first; returns when it has been closed.
    void Form_Load();

    void Mode1();
    void Mode2();
    void NoItemSelected();
    // The row that Edit Item opened.
    std::int16_t EditedRow() const { return m_editedRow; }

    // PathCaptions: what the browse dialog writes.
    void setSourcePathCaption(const QString& path) override;
    void setDestinationPathCaption(const QString& path) override;
    QString sourcePathCaption() const;
    QString destinationPathCaption() const;

    mdlMain& shared() { return m_shared; }
    ItemListModel& itemModel() { return *m_model; }
    RunControl& runControl() { return m_run; }
    PassRunner& passRunner() { return m_runner; }
    BrowseLauncher& browseLauncher() { return m_browse; }

    // What Exit does once the timer is off: by default the application leaves
    // its event loops at once. Tests put something harmless in its place.
    void setExitAction(std::function<void()> action) { m_exitAction = std::move(action); }

public slots:
    void cmdAddFile_Click();
    void cmdAddFolder_Click();
    void cmdEditItem_Click();
    void cmdDeleteItem_Click();
    void cmdBrowseSource_Click();
    void cmdBrowseDestination_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdStart_Click();
    void cmdStop_Click();
    void tmrTimer_Timer();
    void mnuFileExit_Click();
    void mnuHelpInstructions_Click();
    void mnuHelpAbout_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // UserPrompt
    void warn(const std::string& text) override;
    Answer askRetryCancel(const std::string& text) override;
    // RunView
    std::string intervalText() const override;
    void setStatus(const std::string& text) override;
    void setStartEnabled(bool enabled) override;
    void setStopEnabled(bool enabled) override;
    void focusStop() override;
    void focusInterval() override;
    // RunTimer, over tmrTimer
    void setInterval(int milliseconds) override;
    int interval() const override;
    void start() override;
    void stop() override;
    bool isActive() const override;
    // BusyIndicator
    void setBusy(bool busy) override;
    // WindowThread
    void post(std::function<void()> call) override;

    void buildMenu();
    void buildControls();
    void applyGeometry();
    void describeForAccessibility();
    void setTabOrder();
    void centreOnScreen();
    void showWarning(const QString& text);
    // The browse dialog, modal, for the path that the flags ask for.
    void showBrowseDialog();
    // Enter and Esc as a dialog's default and cancel buttons would have them.
    bool handleDefaultKeys(QObject* target, QKeyEvent* event);

    mdlMain& m_shared;
    ItemListModel* m_model;
    RunControl m_run;
    PassRunner m_runner;
    BrowseLauncher m_browse;
    std::function<void()> m_exitAction;
    std::int16_t m_editedRow = 0;
    bool m_busy = false;
    bool m_placed = false;
    bool m_exiting = false;

    QMenu* m_mnuFile = nullptr;
    QAction* m_mnuFileExit = nullptr;
    QMenu* m_mnuHelp = nullptr;
    QAction* m_mnuHelpInstructions = nullptr;
    QAction* m_mnuHelpDash = nullptr;
    QAction* m_mnuHelpAbout = nullptr;

    QWidget* m_client = nullptr;
    QGroupBox* m_fraMode1 = nullptr;
    QLabel* m_lblSourceListLabel = nullptr;
    QLabel* m_lblDestinationListLabel = nullptr;
    QListView* m_lstSource = nullptr;
    QListView* m_lstDestination = nullptr;
    QPushButton* m_cmdAddFile = nullptr;
    QPushButton* m_cmdAddFolder = nullptr;
    QPushButton* m_cmdEditItem = nullptr;
    QPushButton* m_cmdDeleteItem = nullptr;

    QGroupBox* m_fraMode2 = nullptr;
    QLabel* m_lblSourcePathLabel = nullptr;
    PathLabel* m_lblSourcePath = nullptr;
    QPushButton* m_cmdBrowseSource = nullptr;
    QLabel* m_lblDestinationPathLabel = nullptr;
    PathLabel* m_lblDestinationPath = nullptr;
    QPushButton* m_cmdBrowseDestination = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdCancel = nullptr;

    QGroupBox* m_fraRun = nullptr;
    QLabel* m_lblIntervalLabel = nullptr;
    QLineEdit* m_txtTimeInterval = nullptr;
    QLabel* m_lblStatusLabel = nullptr;
    QLabel* m_lblStatus = nullptr;
    QPushButton* m_cmdStart = nullptr;
    QPushButton* m_cmdStop = nullptr;
    QTimer* m_tmrTimer = nullptr;
};

// Runs the event loop until Exit and returns its code. A pass still blocked
// then in a hung network call does not hold the program: the process ends at
// once, without waiting for that call to return.
int ExecUntilExit(frmMain& window);

}  // namespace orvalen::ui
