// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>
#include <QString>

#include <cstdint>
#include <functional>

#include <array>
#include <memory>

#include "core/PassRunner.h"
#include "core/RunControl.h"
#include "core/WindowThread.h"
#include "core/mdlMain.h"
#include "ui/logic/MainWindowLogic.h"
#include "ui/qt/BrowseLauncher.h"
#include "ui/qt/BusyCursor.h"
#include "ui/qt/MessageBoxes.h"
#include "ui/qt/QtRunTimer.h"

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPushButton;

namespace orvalen::ui {

class ItemListModel;
class PathLabel;

// The main window: the item list, the entry editor and run control. What
// the editor's buttons do is MainWindowLogic's; this window shows it. Its
// controls are what run control reads and sets (RunView), and the pass,
// which runs on a thread of its own, reaches the window through its event
// loop (WindowThread).
class frmMain : public QMainWindow, private RunView, private WindowThread, private MainWindowView {
    Q_OBJECT
public:
    static constexpr int kInitialIntervalMs = 5000;

    // `makeVolumes` gives the browse dialog its volumes; tests pass a fake.
    explicit frmMain(mdlMain& shared, QWidget* parent = nullptr,
                     BrowseLauncher::VolumeSourceFactory makeVolumes =
                         &platform::MakeSystemVolumeSource);
    ~frmMain() override;

    // The load step: opens the Instructions window modally, which shows this
    // window first; returns when it has been closed.
    void Form_Load();

    void Mode1() { m_editor.Mode1(); }
    void Mode2() { m_editor.Mode2(); }
    void NoItemSelected() { m_editor.NoItemSelected(); }
    // The row that Edit Item opened.
    std::int16_t EditedRow() const { return m_editor.EditedRow(); }

    // The two path fields as text (what the browse dialog writes).
    void setSourcePathCaption(const QString& path);
    void setDestinationPathCaption(const QString& path);
    QString sourcePathCaption() const;
    QString destinationPathCaption() const;

    ItemListModel& itemModel() { return *m_model; }
    PassRunner& passRunner() { return m_runner; }
    BrowseLauncher& browseLauncher() { return m_browse; }

    // What Exit does once the timer is off: by default the application leaves
    // its event loops at once. Tests put something harmless in its place.
    void setExitAction(std::function<void()> action) { m_exitAction = std::move(action); }

public slots:
    void cmdAddFile_Click() { m_editor.cmdAddFile_Click(); }
    void cmdAddFolder_Click() { m_editor.cmdAddFolder_Click(); }
    void cmdEditItem_Click() { m_editor.cmdEditItem_Click(); }
    void cmdDeleteItem_Click() { m_editor.cmdDeleteItem_Click(); }
    void cmdBrowseSource_Click() { m_editor.cmdBrowseSource_Click(); }
    void cmdBrowseDestination_Click() { m_editor.cmdBrowseDestination_Click(); }
    void cmdOK_Click() { m_editor.cmdOK_Click(); }
    void cmdCancel_Click() { m_editor.cmdCancel_Click(); }
    void cmdStart_Click() { m_run.Start(); }
    void cmdStop_Click() { m_run.Stop(); }
    void tmrTimer_Timer() { m_runner.tmrTimer_Timer(); }
    void mnuFileExit_Click();
    void mnuHelpInstructions_Click();
    void mnuHelpAbout_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // RunView
    std::string intervalText() const override;
    void setStatus(const std::string& text) override;
    void setStartEnabled(bool enabled) override { setButtonEnabled(MainButton::cmdStart, enabled); }
    void setStopEnabled(bool enabled) override { setButtonEnabled(MainButton::cmdStop, enabled); }
    void focusStop() override;
    void focusInterval() override;
    // WindowThread
    void post(std::function<void()> call) override;
    // MainWindowView
    void setButtonEnabled(MainButton button, bool enabled) override;
    std::string sourcePath() const override;
    std::string destinationPath() const override;
    void setSourcePath(const std::string& path) override;
    void setDestinationPath(const std::string& path) override;
    int rowCount() const override;
    int selectedRow() const override;
    bool appendItem(const std::string& source, const std::string& destination, bool isFile) override;
    void replaceItem(int row, const std::string& source, const std::string& destination) override;
    void removeItem(int row) override;
    void showBrowseDialog() override { m_browse.show(); }
    MessageBox::Answer showMessage(const MessageBox& box) override { return ShowMessageBox(this, box); }

    QPushButton*& button(MainButton which) { return m_buttons[static_cast<std::size_t>(which)]; }
    void buildMenu();
    void buildControls();
    void applyGeometry();
    void describeForAccessibility();
    void setTabOrder();
    void centreOnScreen();
    // Enter and Esc as a dialog's default and cancel buttons would have them.
    bool handleDefaultKeys(QObject* target, QKeyEvent* event);

    ItemListModel* m_model;
    MessageBoxPrompt m_prompt;
    QtRunTimer m_timer;
    BusyCursor m_busy;
    RunControl m_run;
    PassRunner m_runner;
    BrowseLauncher m_browse;
    MainWindowLogic m_editor;
    std::function<void()> m_exitAction;
    bool m_placed = false;
    bool m_exiting = false;

    QWidget* m_client = nullptr;
    std::array<QPushButton*, kMainButtonCount> m_buttons{};
    QLabel* m_lblSourcePathLabel = nullptr;
    PathLabel* m_lblSourcePath = nullptr;
    QLabel* m_lblDestinationPathLabel = nullptr;
    PathLabel* m_lblDestinationPath = nullptr;
    QListView* m_lstSource = nullptr;
    QLineEdit* m_txtTimeInterval = nullptr;
    QLabel* m_lblStatusLabel = nullptr;
    QLabel* m_lblStatus = nullptr;
};

// Runs the event loop until Exit and returns its code. A pass still blocked
// then in a hung network call does not hold the program: the process ends at
// once, without waiting for that call to return.
int ExecUntilExit(frmMain& window);

}  // namespace orvalen::ui
