// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: controls, keys, the entry editor, run control and the menu.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "core/FileSystem.h"
#include "core/RunControl.h"
#include "core/RuntimeError.h"
#include "core/mdlMain.h"
#include "support/MainWindowDriver.h"
#include "support/ModalHelpers.h"
#include "ui/qt/MessageBoxes.h"
#include "ui/qt/ItemListModel.h"
#include "ui/qt/frmAbout.h"
#include "ui/qt/frmInstructions.h"
#include "ui/qt/frmMain.h"

using orvalen::ui::setNextAnswer;
using Answer = orvalen::ui::MessageBox::Answer;

using orvalen::mdlMain;
using orvalen::ui::frmInstructions;
using orvalen::ui::frmMain;

using testsupport::MainWindowDriver;
using testsupport::NoModalExpected;

namespace {

// Items copy from /a to /b: every copy is missing and /b exists, so each pass
// copies every item. Copies wait while `hold` is set, as on a slow share.
class CopyRecorder : public orvalen::FileSystem {
public:
    explicit CopyRecorder(const std::atomic<bool>& hold) : m_hold(hold) {}

    std::atomic<int> copies{0};
    std::atomic<bool> copying{false};

    bool FileExists(const std::string&) override { return false; }
    // Only the destination folder exists: every copy, file or folder, is missing.
    bool FolderExists(const std::string& p) override { return p == "/b" || p == "/b/"; }
    orvalen::FileRef GetFile(const std::string& p) override { return {p}; }
    orvalen::FolderRef GetFolder(const std::string& p) override { return {p}; }
    std::string GetParentFolderName(const std::string& p) override {
        return p.substr(0, p.rfind('/'));
    }
    void CreateFolder(const std::string&) override {}
    std::uint64_t Size(const orvalen::FileRef&) override { return 1; }
    std::uint64_t Size(const orvalen::FolderRef&) override { return 1; }
    void Copy(const orvalen::FileRef&, const std::string&) override { record(); }
    void Copy(const orvalen::FolderRef&, const std::string&) override { record(); }

private:
    void record() {
        copying = true;
        while (m_hold) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ++copies;
        copying = false;
    }
    const std::atomic<bool>& m_hold;
};

QString accessibleName(QWidget* w) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name) : QString();
}

QString accessibleDescription(QWidget* w) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Description) : QString();
}

}  // namespace

class TestFrmMain : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startUp_controlsInDesignState();
    void window_fixedTitledCentredWithIcon();
    void menu_captionsShortcutsAndSeparator();
    void accessibility_namesDescriptionsAndLiveValues();
    void tabOrder_followsDesignAndSkipsDisabled();
    void enterKey_clicksStartOrTheFocusedButton();
    void escKey_clicksStopOnlyWhileEnabled();

    void modes_enableTheRightButtonsAndClearPaths();
    void ok_warnsForMissingPathsAndStaysInEntryMode();
    void editOrDelete_withoutSelection_warns();
    void add_appendsRowWithKindAndReturnsToListMode();
    void edit_replacesTheRowSelectedWhenEditBegan();
    void editThenCancel_changesNothingAndAddStillAppends();
    void delete_removesRowShiftsKindsAndDisablesStartWhenEmpty();
    void selection_isSharedByBothListBoxes();
    void add_refusedWhenListIsFull();

    void start_runsWithAcceptedInterval();
    void start_refusesBadInterval_data();
    void start_refusesBadInterval();
    void start_refusesEmptyList();
    void stop_returnsToReady();
    void pass_showsBusyCursorWhileCopying();
    void entryWhileRunning_reenablesStartAndKeepsRun();

    void instructions_atStartUpBlocksMainWindowUntilClosed();
    void instructions_fromF1_keepsRunArmed();
    void about_opensOneBoxAndLeavesWindowUsable();
    void exit_whileRunning_endsAtOnceWithoutAnotherPass();
    void closeBox_actsAsExit();

private:
    void showActive();

    std::unique_ptr<mdlMain> m_shared;
    std::unique_ptr<frmMain> m_window;
    std::unique_ptr<MainWindowDriver> m_ui;
    std::atomic<CopyRecorder*> m_fs{nullptr};  // owned by m_shared once the pass made it
    std::atomic<bool> m_holdCopies{false};
    int m_exits = 0;
};

void TestFrmMain::init() {
    m_shared = std::make_unique<mdlMain>();
    m_fs = nullptr;
    m_holdCopies = false;
    m_shared->MakeFileSystem = [this] {
        auto fs = std::make_unique<CopyRecorder>(m_holdCopies);
        m_fs = fs.get();
        return std::unique_ptr<orvalen::FileSystem>(std::move(fs));
    };
    m_window = std::make_unique<frmMain>(*m_shared);
    m_exits = 0;
    m_window->setExitAction([this] { ++m_exits; });
    m_ui = std::make_unique<MainWindowDriver>(*m_window);
}

void TestFrmMain::cleanup() {
    testsupport::closeLeftoverModals();
    if (auto* about = orvalen::ui::frmAbout::current()) about->close();
    m_ui.reset();
    m_window.reset();
    m_shared.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestFrmMain::showActive() {
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestFrmMain::startUp_controlsInDesignState() {
    struct Expected {
        const char* name;
        const char* caption;
        const char* tip;
        bool enabled;
    };
    const Expected buttons[] = {
        {"cmdStart", "Start", "Start running", false},
        {"cmdStop", "Stop", "Stop running", false},
        {"cmdAddFile", "Add File", "Add a file to list", true},
        {"cmdAddFolder", "Add Folder", "Add folder to list", true},
        {"cmdEditItem", "Edit Item", "Change source and destination path of selected item in list", false},
        {"cmdDeleteItem", "Delete Item", "Delete selected item in list", false},
        {"cmdCancel", "Cancel", "Don't add to list", false},
        {"cmdBrowseSource", "Browse...", "Browse to find source file/folder", false},
        {"cmdBrowseDestination", "Browse...", "Browse to find destination file/folder", false},
        {"cmdOK", "OK", "Add to list", false},
    };
    for (const Expected& e : buttons) {
        QPushButton* b = m_ui->button(e.name);
        QVERIFY2(b, e.name);
        QCOMPARE(b->text(), QString::fromLatin1(e.caption));
        QCOMPARE(b->toolTip(), QString::fromLatin1(e.tip));
        QVERIFY2(b->isEnabled() == e.enabled, e.name);
    }
    const std::pair<const char*, const char*> labels[] = {
        {"lblIntervalLabel", "Time interval in seconds:"}, {"lblStatus", "Ready"},
        {"lblStatusLabel", "Status:"},                      {"lblSourceListLabel", "Sources:"},
        {"lblDestinationListLabel", "Destinations:"},       {"lblSourcePathLabel", "Choose source file/folder:"},
        {"lblDestinationPathLabel", "Choose destination path:"}, {"lblSourcePath", ""},
        {"lblDestinationPath", ""}};
    for (const auto& [name, text] : labels) {
        QLabel* l = m_ui->label(name);
        QVERIFY2(l, name);
        QCOMPARE(l->text(), QString::fromLatin1(text));
    }
    for (const char* frame : {"fraMode1", "fraMode2", "fraRun"}) {
        auto* box = m_window->findChild<QGroupBox*>(QString::fromLatin1(frame));
        QVERIFY2(box, frame);
        QVERIFY(box->title().isEmpty());
    }
    QCOMPARE(m_ui->interval()->text(), QStringLiteral("5"));
    QVERIFY(m_ui->interval()->isEnabled());
    QVERIFY(!m_ui->timer()->isActive());
    QCOMPARE(m_ui->timer()->interval(), 5000);
    for (const char* list : {"lstSource", "lstDestination"}) {
        QCOMPARE(m_ui->list(list)->model()->rowCount(), 0);
        QCOMPARE(m_ui->list(list)->selectionMode(), QAbstractItemView::SingleSelection);
        QVERIFY(m_ui->list(list)->isEnabled());
    }
    QCOMPARE(m_shared->Items.selectedRow(), -1);
    QVERIFY(!m_shared->AddingFile && !m_shared->EditingItem && !m_shared->BrowsingDestination);
}

void TestFrmMain::window_fixedTitledCentredWithIcon() {
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Orvalen"));
    QVERIFY(!m_window->windowIcon().isNull());
    QVERIFY(!m_window->windowIcon().pixmap(32, 32).isNull());
    const Qt::WindowFlags flags = m_window->windowFlags();
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    showActive();
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
    // The client area keeps the design's proportions (5520 x 5505 twips).
    QWidget* client = m_window->centralWidget();
    const double ratio = double(client->width()) / client->height();
    QVERIFY2(qAbs(ratio - 5520.0 / 5505.0) < 0.01, qPrintable(QString::number(ratio)));
    // Never smaller than the design at 96 dpi.
    QVERIFY(client->width() >= 368 && client->height() >= 367);
    const QRect screen = m_window->screen()->availableGeometry();
    QVERIFY(qAbs(m_window->geometry().center().x() - screen.center().x()) <= 2);
    QVERIFY(qAbs(m_window->geometry().center().y() - screen.center().y()) <= m_window->menuBar()->height() + 2);
    // No caption is cut by its neighbour: every label ends before the next control to its right.
    QVERIFY(m_ui->label("lblIntervalLabel")->geometry().right() < m_ui->interval()->geometry().left());
    QVERIFY(m_ui->label("lblStatusLabel")->geometry().right() < m_ui->label("lblStatus")->geometry().left());
    for (QPushButton* b : m_window->findChildren<QPushButton*>()) {
        const int need = b->fontMetrics().horizontalAdvance(b->text());
        QVERIFY2(need < b->width(), qPrintable(b->objectName()));
    }
}

void TestFrmMain::menu_captionsShortcutsAndSeparator() {
    auto action = [this](const char* name) {
        return m_window->findChild<QAction*>(QString::fromLatin1(name));
    };
    auto* file = m_window->findChild<QMenu*>(QStringLiteral("mnuFile"));
    auto* help = m_window->findChild<QMenu*>(QStringLiteral("mnuHelp"));
    QVERIFY(file && help);
    QCOMPARE(file->title(), QStringLiteral("&File"));
    QCOMPARE(help->title(), QStringLiteral("&Help"));
    QCOMPARE(action("mnuFileExit")->text(), QStringLiteral("E&xit"));
    QCOMPARE(action("mnuFileExit")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    QCOMPARE(action("mnuHelpInstructions")->text(), QStringLiteral("&Instructions"));
    QCOMPARE(action("mnuHelpInstructions")->shortcut(), QKeySequence(Qt::Key_F1));
    QVERIFY(action("mnuHelpDash")->isSeparator());
    QCOMPARE(action("mnuHelpAbout")->text(), QStringLiteral("&About Orvalen"));
    QCOMPARE(help->actions(), (QList<QAction*>{action("mnuHelpInstructions"), action("mnuHelpDash"),
                                               action("mnuHelpAbout")}));
    for (QAction* a : file->actions() + help->actions()) {
        QVERIFY(a->isEnabled() && a->isVisible());
        QVERIFY(!a->isChecked());
    }
}

void TestFrmMain::accessibility_namesDescriptionsAndLiveValues() {
    for (QPushButton* b : m_window->findChildren<QPushButton*>()) {
        QCOMPARE(accessibleName(b), b->text());
        QCOMPARE(accessibleDescription(b), b->toolTip());
    }
    QCOMPARE(accessibleName(m_ui->list("lstSource")), QStringLiteral("Sources"));
    QCOMPARE(accessibleName(m_ui->list("lstDestination")), QStringLiteral("Destinations"));
    QCOMPARE(accessibleName(m_ui->interval()), QStringLiteral("Time interval in seconds"));

    QCOMPARE(accessibleName(m_ui->label("lblStatus")), QStringLiteral("Status: Ready"));
    m_ui->addItem(QStringLiteral("/a/f.txt"), QStringLiteral("/b/"), true);
    m_ui->button("cmdStart")->click();
    QCOMPARE(accessibleName(m_ui->label("lblStatus")), QStringLiteral("Status: Running"));
    m_ui->button("cmdStop")->click();
    QCOMPARE(accessibleName(m_ui->label("lblStatus")), QStringLiteral("Status: Ready"));

    m_ui->button("cmdAddFile")->click();
    QVERIFY(accessibleName(m_ui->label("lblSourcePath")).startsWith(QStringLiteral("Choose source file/folder:")));
    m_window->setSourcePathCaption(QStringLiteral("/home/u/report.doc"));
    m_window->setDestinationPathCaption(QStringLiteral("/mnt/share/"));
    QCOMPARE(accessibleName(m_ui->label("lblSourcePath")),
             QStringLiteral("Choose source file/folder: /home/u/report.doc"));
    QCOMPARE(accessibleName(m_ui->label("lblDestinationPath")),
             QStringLiteral("Choose destination path: /mnt/share/"));
    m_ui->button("cmdCancel")->click();
    QVERIFY(!accessibleName(m_ui->label("lblSourcePath")).contains(QStringLiteral("report.doc")));
}

void TestFrmMain::tabOrder_followsDesignAndSkipsDisabled() {
    const QStringList design = {"cmdStart",  "lstSource",       "lstDestination",       "cmdAddFile",
                                "cmdAddFolder", "cmdEditItem",  "cmdDeleteItem",        "cmdBrowseSource",
                                "cmdBrowseDestination", "cmdOK", "cmdCancel",          "txtTimeInterval",
                                "cmdStop"};
    // The chain itself, from Start round to Start.
    QStringList chain;
    QWidget* start = m_ui->button("cmdStart");
    for (QWidget* w = start->nextInFocusChain(); w != start; w = w->nextInFocusChain())
        if (design.contains(w->objectName())) chain << w->objectName();
    QCOMPARE(QStringList{"cmdStart"} + chain, design);

    // What Tab does: in list mode with one item, Browse..., OK and Cancel are passed over.
    m_ui->addItem(QStringLiteral("/a/f.txt"), QStringLiteral("/b/"), true);
    showActive();
    m_ui->button("cmdStart")->setFocus();
    const QStringList expected = {"lstSource",   "lstDestination",  "cmdAddFile", "cmdAddFolder",
                                  "cmdEditItem", "cmdDeleteItem",   "txtTimeInterval", "cmdStart"};
    for (const QString& next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), next);
    }
}

void TestFrmMain::enterKey_clicksStartOrTheFocusedButton() {
    showActive();
    {
        // Start disabled: Enter in the interval box does nothing at all.
        NoModalExpected quiet;
        m_ui->interval()->setFocus();
        QTest::keyClick(m_ui->interval(), Qt::Key_Return);
        QCOMPARE(quiet.count(), 0);
        QCOMPARE(m_ui->status(), QStringLiteral("Ready"));
    }
    m_ui->addItem(QStringLiteral("/a/f.txt"), QStringLiteral("/b/"), true);

    m_ui->interval()->setFocus();
    QTest::keyClick(m_ui->interval(), Qt::Key_Return);
    QCOMPARE(m_ui->status(), QStringLiteral("Running"));
    QCOMPARE(QApplication::focusWidget(), m_ui->button("cmdStop"));
    m_ui->button("cmdStop")->click();

    // From a list box, keypad Enter too.
    m_ui->list("lstSource")->setFocus();
    QTest::keyClick(m_ui->list("lstSource"), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(m_ui->status(), QStringLiteral("Running"));
    m_ui->button("cmdStop")->click();

    // On another button Enter clicks that button, not Start.
    m_ui->button("cmdAddFolder")->setFocus();
    QTest::keyClick(m_ui->button("cmdAddFolder"), Qt::Key_Return);
    QVERIFY(m_ui->button("cmdOK")->isEnabled());
    QVERIFY(!m_shared->AddingFile);
    QCOMPARE(m_ui->status(), QStringLiteral("Ready"));
    m_ui->button("cmdCancel")->setFocus();
    QTest::keyClick(m_ui->button("cmdCancel"), Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(!m_ui->button("cmdOK")->isEnabled());
    QCOMPARE(m_ui->status(), QStringLiteral("Ready"));
}

void TestFrmMain::escKey_clicksStopOnlyWhileEnabled() {
    showActive();
    m_ui->addItem(QStringLiteral("/a/f.txt"), QStringLiteral("/b/"), true);
    {
        NoModalExpected quiet;
        m_ui->list("lstDestination")->setFocus();
        QTest::keyClick(m_ui->list("lstDestination"), Qt::Key_Escape);
        QCOMPARE(quiet.count(), 0);
        QCOMPARE(m_ui->status(), QStringLiteral("Ready"));
        QVERIFY(m_ui->button("cmdStart")->isEnabled());
    }
    for (const char* focus : {"txtTimeInterval", "lstSource", "cmdAddFile"}) {
        m_ui->button("cmdStart")->click();
        QCOMPARE(m_ui->status(), QStringLiteral("Running"));
        QWidget* target = m_window->findChild<QWidget*>(QString::fromLatin1(focus));
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Escape);
        QVERIFY2(m_ui->status() == QStringLiteral("Ready"), focus);
        QVERIFY(!m_ui->timer()->isActive());
        QVERIFY(!m_ui->button("cmdStop")->isEnabled());
    }
}

void TestFrmMain::modes_enableTheRightButtonsAndClearPaths() {
    auto enabled = [this](const char* name) { return m_ui->button(name)->isEnabled(); };
    m_ui->button("cmdAddFile")->click();
    QVERIFY(m_shared->AddingFile);
    for (const char* on : {"cmdBrowseSource", "cmdBrowseDestination", "cmdOK", "cmdCancel"}) QVERIFY2(enabled(on), on);
    for (const char* off : {"cmdAddFile", "cmdAddFolder", "cmdEditItem", "cmdDeleteItem", "cmdStart", "cmdStop"})
        QVERIFY2(!enabled(off), off);
    m_window->setSourcePathCaption(QStringLiteral("/x"));
    m_window->setDestinationPathCaption(QStringLiteral("/y/"));
    // Entering a mode always clears both paths.
    m_window->Mode2();
    QVERIFY(m_window->sourcePathCaption().isEmpty() && m_window->destinationPathCaption().isEmpty());
    m_window->setSourcePathCaption(QStringLiteral("/x"));
    m_window->Mode1();
    QVERIFY(m_window->sourcePathCaption().isEmpty());
    // List mode with an empty list leaves Edit, Delete and Start as they were.
    for (const char* on : {"cmdAddFile", "cmdAddFolder"}) QVERIFY2(enabled(on), on);
    for (const char* off : {"cmdBrowseSource", "cmdBrowseDestination", "cmdOK", "cmdCancel", "cmdEditItem",
                            "cmdDeleteItem", "cmdStart"})
        QVERIFY2(!enabled(off), off);
    m_ui->button("cmdAddFolder")->click();
    QVERIFY(!m_shared->AddingFile);
    QVERIFY(enabled("cmdOK"));
    m_ui->button("cmdCancel")->click();
    QVERIFY(!enabled("cmdOK"));
}

void TestFrmMain::ok_warnsForMissingPathsAndStaysInEntryMode() {
    m_ui->button("cmdAddFile")->click();

    auto box = setNextAnswer(Answer::Ok);
    m_ui->button("cmdOK")->click();
    QVERIFY(box->seen);
    QCOMPARE(box->text, QString::fromLatin1(orvalen::ui::kMsgNoSource));
    QCOMPARE(box->text, QStringLiteral("Please specify a source file/folder."));
    QCOMPARE(box->title, QStringLiteral("Orvalen"));
    QCOMPARE(box->icon, int(QMessageBox::Warning));
    QCOMPARE(box->buttons.size(), 1);
    QVERIFY(m_ui->button("cmdOK")->isEnabled());

    // Only a destination: the source warning still comes first, the destination stays.
    m_window->setDestinationPathCaption(QStringLiteral("/mnt/share/"));
    box = setNextAnswer(Answer::Ok);
    m_ui->button("cmdOK")->click();
    QCOMPARE(box->text, QStringLiteral("Please specify a source file/folder."));
    QCOMPARE(m_window->destinationPathCaption(), QStringLiteral("/mnt/share/"));

    m_window->setSourcePathCaption(QStringLiteral("/home/u/a.txt"));
    m_window->setDestinationPathCaption(QString());
    box = setNextAnswer(Answer::Ok);
    m_ui->button("cmdOK")->click();
    QCOMPARE(box->text, QStringLiteral("Please specify a destination file/folder."));
    QCOMPARE(box->icon, int(QMessageBox::Warning));
    QCOMPARE(m_window->sourcePathCaption(), QStringLiteral("/home/u/a.txt"));
    QCOMPARE(m_shared->Items.count(), 0);
    QVERIFY(m_ui->button("cmdCancel")->isEnabled());
}

void TestFrmMain::editOrDelete_withoutSelection_warns() {
    m_ui->addItem(QStringLiteral("/a/f.txt"), QStringLiteral("/b/"), true);
    for (const char* name : {"cmdEditItem", "cmdDeleteItem"}) {
        auto box = setNextAnswer(Answer::Ok);
        m_ui->button(name)->click();
        QVERIFY2(box->seen, name);
        QCOMPARE(box->text, QStringLiteral("Please choose a file/folder from the list."));
        QCOMPARE(box->title, QStringLiteral("Orvalen"));
        QCOMPARE(box->icon, int(QMessageBox::Warning));
        QCOMPARE(m_shared->Items.count(), 1);
        QVERIFY(m_ui->button("cmdAddFile")->isEnabled());  // still list mode
        QVERIFY(!m_shared->EditingItem);
    }
}

void TestFrmMain::add_appendsRowWithKindAndReturnsToListMode() {
    m_ui->addItem(QStringLiteral("/home/u/a.txt"), QStringLiteral("/mnt/s/"), true);
    m_ui->addItem(QStringLiteral("/home/u/dir"), QStringLiteral("/mnt/t/"), false);
    // The same pair twice is kept twice.
    m_ui->addItem(QStringLiteral("/home/u/a.txt"), QStringLiteral("/mnt/s/"), true);
    QCOMPARE(m_ui->rows("lstSource"),
             (QStringList{"/home/u/a.txt", "/home/u/dir", "/home/u/a.txt"}));
    QCOMPARE(m_ui->rows("lstDestination"), (QStringList{"/mnt/s/", "/mnt/t/", "/mnt/s/"}));
    QVERIFY(m_shared->Items.ItemIsFile(0));
    QVERIFY(!m_shared->Items.ItemIsFile(1));
    QVERIFY(m_shared->Items.ItemIsFile(2));
    for (const char* on : {"cmdEditItem", "cmdDeleteItem", "cmdStart", "cmdAddFile"})
        QVERIFY2(m_ui->button(on)->isEnabled(), on);
    QVERIFY(!m_ui->button("cmdOK")->isEnabled());
    QVERIFY(m_window->sourcePathCaption().isEmpty());
    QCOMPARE(m_shared->Items.selectedRow(), -1);
    // Paths are kept exactly, blanks included.
    m_ui->addItem(QStringLiteral(" /odd path "), QStringLiteral("/d/"), true);
    QCOMPARE(m_ui->rows("lstSource").last(), QStringLiteral(" /odd path "));
}

void TestFrmMain::edit_replacesTheRowSelectedWhenEditBegan() {
    m_ui->addItem(QStringLiteral("/s/0.txt"), QStringLiteral("/d0/"), true);
    m_ui->addItem(QStringLiteral("/s/1"), QStringLiteral("/d1/"), false);
    m_ui->addItem(QStringLiteral("/s/2.txt"), QStringLiteral("/d2/"), true);

    // The third row, OK without browsing: the same texts, kind and place.
    m_window->itemModel().selectRow(2);
    m_ui->button("cmdEditItem")->click();
    QVERIFY(m_shared->EditingItem);
    QCOMPARE(m_window->EditedRow(), std::int16_t(2));
    QCOMPARE(m_window->sourcePathCaption(), QStringLiteral("/s/2.txt"));
    QCOMPARE(m_window->destinationPathCaption(), QStringLiteral("/d2/"));
    m_ui->button("cmdOK")->click();
    QCOMPARE(m_ui->rows("lstSource"), (QStringList{"/s/0.txt", "/s/1", "/s/2.txt"}));
    QVERIFY(m_shared->Items.ItemIsFile(2));
    QVERIFY(!m_shared->EditingItem);
    QCOMPARE(m_shared->Items.selectedRow(), -1);
    QVERIFY(m_ui->selectedRows("lstSource").isEmpty());

    // Another row selected during the edit does not change which row OK replaces.
    m_window->itemModel().selectRow(1);
    m_ui->button("cmdEditItem")->click();
    m_ui->clickRow("lstDestination", 0);
    QCOMPARE(m_shared->Items.selectedRow(), 0);
    m_window->setSourcePathCaption(QStringLiteral("/s/new"));
    m_window->setDestinationPathCaption(QStringLiteral("/dnew/"));
    m_ui->button("cmdOK")->click();
    QCOMPARE(m_ui->rows("lstSource"), (QStringList{"/s/0.txt", "/s/new", "/s/2.txt"}));
    QCOMPARE(m_ui->rows("lstDestination"), (QStringList{"/d0/", "/dnew/", "/d2/"}));
    QVERIFY(!m_shared->Items.ItemIsFile(1));  // kept its folder kind
    QVERIFY(m_shared->Items.ItemIsFile(0));
}

void TestFrmMain::editThenCancel_changesNothingAndAddStillAppends() {
    m_ui->addItem(QStringLiteral("/s/a.txt"), QStringLiteral("/d/"), true);
    m_window->itemModel().selectRow(0);
    m_ui->button("cmdEditItem")->click();
    m_window->setSourcePathCaption(QStringLiteral("/changed"));
    m_ui->button("cmdCancel")->click();
    QVERIFY(!m_shared->EditingItem);
    QCOMPARE(m_ui->rows("lstSource"), QStringList{"/s/a.txt"});
    QVERIFY(m_window->sourcePathCaption().isEmpty());

    m_ui->addItem(QStringLiteral("/s/folder"), QStringLiteral("/e/"), false);
    QCOMPARE(m_ui->rows("lstSource"), (QStringList{"/s/a.txt", "/s/folder"}));
    QVERIFY(m_shared->Items.ItemIsFile(0));
    QVERIFY(!m_shared->Items.ItemIsFile(1));
}

void TestFrmMain::delete_removesRowShiftsKindsAndDisablesStartWhenEmpty() {
    m_ui->addItem(QStringLiteral("/s/0.txt"), QStringLiteral("/d0/"), true);
    m_ui->addItem(QStringLiteral("/s/1"), QStringLiteral("/d1/"), false);
    m_ui->addItem(QStringLiteral("/s/2.txt"), QStringLiteral("/d2/"), true);

    m_ui->clickRow("lstSource", 0);
    m_ui->button("cmdDeleteItem")->click();
    QCOMPARE(m_ui->rows("lstSource"), (QStringList{"/s/1", "/s/2.txt"}));
    QCOMPARE(m_ui->rows("lstDestination"), (QStringList{"/d1/", "/d2/"}));
    QVERIFY(!m_shared->Items.ItemIsFile(0));
    QVERIFY(m_shared->Items.ItemIsFile(1));
    QCOMPARE(m_shared->Items.selectedRow(), -1);
    QVERIFY(m_ui->selectedRows("lstSource").isEmpty() && m_ui->selectedRows("lstDestination").isEmpty());
    QVERIFY(m_ui->button("cmdStart")->isEnabled());

    // A row above the deleted one does not stay selected.
    m_window->itemModel().selectRow(1);
    m_ui->button("cmdDeleteItem")->click();
    m_window->itemModel().selectRow(0);
    m_ui->button("cmdDeleteItem")->click();
    QCOMPARE(m_shared->Items.count(), 0);
    QVERIFY(!m_ui->button("cmdStart")->isEnabled());
    QVERIFY(m_ui->button("cmdEditItem")->isEnabled());
    QVERIFY(m_ui->button("cmdDeleteItem")->isEnabled());
    auto box = setNextAnswer(Answer::Ok);
    m_ui->button("cmdDeleteItem")->click();
    QCOMPARE(box->text, QStringLiteral("Please choose a file/folder from the list."));
}

void TestFrmMain::selection_isSharedByBothListBoxes() {
    for (int i = 0; i < 3; ++i)
        m_ui->addItem(QStringLiteral("/s/%1").arg(i), QStringLiteral("/d%1/").arg(i), true);
    showActive();
    QCOMPARE(m_ui->list("lstSource")->selectionModel(), m_ui->list("lstDestination")->selectionModel());

    m_ui->clickRow("lstSource", 1);
    QCOMPARE(m_ui->selectedRows("lstSource"), QList<int>{1});
    QCOMPARE(m_ui->selectedRows("lstDestination"), QList<int>{1});
    QCOMPARE(m_shared->Items.selectedRow(), 1);

    QSignalSpy changes(m_ui->list("lstSource")->selectionModel(), &QItemSelectionModel::selectionChanged);
    m_ui->clickRow("lstDestination", 1);  // already selected: nothing changes
    QCOMPARE(changes.count(), 0);

    m_ui->clickRow("lstDestination", 2);
    QCOMPARE(m_ui->selectedRows("lstSource"), QList<int>{2});
    QCOMPARE(m_shared->Items.selectedRow(), 2);

    m_ui->list("lstSource")->setFocus();
    QTest::keyClick(m_ui->list("lstSource"), Qt::Key_Up);
    QCOMPARE(m_ui->selectedRows("lstDestination"), QList<int>{1});
    QCOMPARE(m_shared->Items.selectedRow(), 1);

    // Adding a row selects nothing new.
    m_ui->addItem(QStringLiteral("/s/3"), QStringLiteral("/d3/"), true);
    QCOMPARE(m_ui->selectedRows("lstSource"), QList<int>{1});
}

void TestFrmMain::add_refusedWhenListIsFull() {
    for (int i = 0; i < orvalen::ItemList::kMaxItems; ++i)
        QVERIFY(m_window->itemModel().append(QStringLiteral("/s/%1").arg(i), QStringLiteral("/d/"), i % 2 == 0));
    m_window->Mode1();
    QCOMPARE(m_ui->list("lstSource")->model()->rowCount(), 101);

    m_ui->button("cmdAddFile")->click();
    m_window->setSourcePathCaption(QStringLiteral("/s/one-too-many"));
    m_window->setDestinationPathCaption(QStringLiteral("/d/"));
    auto box = setNextAnswer(Answer::Ok);
    m_ui->button("cmdOK")->click();
    QVERIFY(box->seen);
    QCOMPARE(box->text, QString::fromLatin1(orvalen::ui::kMsgListFull));
    QVERIFY(box->text.contains(QStringLiteral("101")));
    QCOMPARE(box->title, QStringLiteral("Orvalen"));
    QCOMPARE(box->icon, int(QMessageBox::Warning));
    QCOMPARE(m_shared->Items.count(), 101);
    QCOMPARE(m_ui->rows("lstSource").last(), QStringLiteral("/s/100"));
    QVERIFY(m_shared->Items.ItemIsFile(100));

    // Editing a row of a full list still works.
    m_ui->button("cmdCancel")->click();
    m_window->itemModel().selectRow(100);
    m_ui->button("cmdEditItem")->click();
    m_window->setSourcePathCaption(QStringLiteral("/s/last"));
    m_ui->button("cmdOK")->click();
    QCOMPARE(m_ui->rows("lstSource").last(), QStringLiteral("/s/last"));
}

void TestFrmMain::start_runsWithAcceptedInterval() {
    showActive();
    m_ui->addItem(QStringLiteral("/a/f.txt"), QStringLiteral("/b/"), true);
    m_ui->interval()->setText(QStringLiteral("65.535"));
    m_ui->button("cmdStart")->click();
    QCOMPARE(m_ui->status(), QStringLiteral("Running"));
    QVERIFY(m_ui->timer()->isActive());
    QCOMPARE(m_ui->timer()->interval(), 65535);
    QVERIFY(!m_ui->button("cmdStart")->isEnabled());
    QVERIFY(m_ui->button("cmdStop")->isEnabled());
    QCOMPARE(QApplication::focusWidget(), m_ui->button("cmdStop"));
    // No pass at once: the first comes after the interval.
    QCOMPARE(m_fs.load(), nullptr);
}

void TestFrmMain::start_refusesBadInterval_data() {
    QTest::addColumn<QString>("text");
    for (const char* text : {"0", "", "abc", "-1", "70", "65.536", "0.0004"}) QTest::newRow(text) << text;
}

void TestFrmMain::start_refusesBadInterval() {
    QFETCH(QString, text);
    m_ui->addItem(QStringLiteral("/a/f.txt"), QStringLiteral("/b/"), true);
    m_ui->interval()->setText(text);
    m_ui->button("cmdStart")->setFocus();
    auto box = setNextAnswer(Answer::Ok);
    m_ui->button("cmdStart")->click();
    QVERIFY(box->seen);
    QCOMPARE(box->text, QStringLiteral("Please enter a positive number for time interval."));
    QCOMPARE(box->title, QStringLiteral("Orvalen"));
    QCOMPARE(box->icon, int(QMessageBox::Warning));
    QCOMPARE(m_ui->status(), QStringLiteral("Ready"));
    QVERIFY(!m_ui->timer()->isActive());
    QVERIFY(m_ui->button("cmdStart")->isEnabled());
    // The focus the window gives back when it is active again.
    QCOMPARE(m_window->focusWidget(), static_cast<QWidget*>(m_ui->interval()));
}

void TestFrmMain::start_refusesEmptyList() {
    auto box = setNextAnswer(Answer::Ok);
    m_window->cmdStart_Click();
    QVERIFY(box->seen);
    QCOMPARE(box->text, QStringLiteral("You must choose at least one file/folder."));
    QCOMPARE(m_ui->status(), QStringLiteral("Ready"));
    QVERIFY(!m_ui->timer()->isActive());
}

void TestFrmMain::stop_returnsToReady() {
    m_ui->addItem(QStringLiteral("/a/f.txt"), QStringLiteral("/b/"), true);
    m_ui->interval()->setText(QStringLiteral("0.001"));
    m_ui->button("cmdStart")->click();
    QTRY_VERIFY(m_fs && m_fs.load()->copies > 0);
    m_ui->button("cmdStop")->click();
    QCOMPARE(m_ui->status(), QStringLiteral("Ready"));
    QVERIFY(m_ui->button("cmdStart")->isEnabled());
    QVERIFY(!m_ui->button("cmdStop")->isEnabled());
    QVERIFY(!m_ui->timer()->isActive());
    QVERIFY(m_window->passRunner().waitIdle(std::chrono::seconds(5)));
    const int copies = m_fs.load()->copies;
    QTest::qWait(30);
    QCOMPARE(m_fs.load()->copies.load(), copies);
}

void TestFrmMain::pass_showsBusyCursorWhileCopying() {
    m_ui->addItem(QStringLiteral("/a/f.txt"), QStringLiteral("/b/"), true);
    m_ui->addItem(QStringLiteral("/a/dir"), QStringLiteral("/b/"), false);
    m_holdCopies = true;
    m_window->tmrTimer_Timer();
    QTRY_VERIFY(m_fs && m_fs.load()->copying);
    // The window's own loop runs meanwhile and shows the busy pointer.
    QTRY_VERIFY(QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::BusyCursor);
    m_holdCopies = false;
    QTRY_COMPARE(m_fs.load()->copies.load(), 2);
    QTRY_COMPARE(QApplication::overrideCursor(), nullptr);  // restored after the pass
}

void TestFrmMain::entryWhileRunning_reenablesStartAndKeepsRun() {
    m_ui->addItem(QStringLiteral("/a/f.txt"), QStringLiteral("/b/"), true);
    m_ui->button("cmdStart")->click();
    m_ui->addItem(QStringLiteral("/a/g.txt"), QStringLiteral("/b/"), true);
    QVERIFY(m_ui->button("cmdStart")->isEnabled());
    QVERIFY(m_ui->button("cmdStop")->isEnabled());
    QVERIFY(m_ui->timer()->isActive());
    // Deleting every row leaves the guard running over an empty list.
    m_window->itemModel().selectRow(0);
    m_ui->button("cmdDeleteItem")->click();
    m_window->itemModel().selectRow(0);
    m_ui->button("cmdDeleteItem")->click();
    QVERIFY(!m_ui->button("cmdStart")->isEnabled());
    QVERIFY(m_ui->button("cmdStop")->isEnabled());
    QVERIFY(m_ui->timer()->isActive());
    QCOMPARE(m_ui->status(), QStringLiteral("Running"));
}

void TestFrmMain::instructions_atStartUpBlocksMainWindowUntilClosed() {
    bool mainVisible = false;
    bool modal = false;
    bool noOwner = false;
    bool clickBlocked = false;
    QString title;
    auto seen = testsupport::answerNextModal<frmInstructions>([&](frmInstructions* dlg) {
        mainVisible = m_window->isVisible();
        modal = dlg->windowModality() == Qt::ApplicationModal &&
                QApplication::activeModalWidget() == dlg;
        noOwner = dlg->parentWidget() == nullptr;
        title = dlg->windowTitle();
        // A click on the main window, delivered as the window system would,
        // goes nowhere while it is open.
        QPushButton* add = m_ui->button("cmdAddFile");
        QTest::mouseClick(m_window->windowHandle(), Qt::LeftButton, {},
                          add->mapTo(m_window.get(), add->rect().center()));
        clickBlocked = !m_ui->button("cmdOK")->isEnabled();
        dlg->findChild<QPushButton*>(QStringLiteral("cmdClose"))->click();
    });
    m_window->Form_Load();
    QVERIFY(seen->seen);
    QVERIFY(mainVisible);
    QVERIFY(modal);
    QVERIFY(noOwner);
    QVERIFY(clickBlocked);
    QCOMPARE(title, QStringLiteral("Instructions"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(frmInstructions::current(), nullptr);  // discarded
    // The load step ends in list mode with an empty list.
    QVERIFY(m_window->isVisible());
    QVERIFY(m_ui->button("cmdAddFile")->isEnabled());
    QVERIFY(!m_ui->button("cmdOK")->isEnabled());
    QCOMPARE(m_shared->Items.count(), 0);
    // The same click, with nothing modal open, does reach the window.
    showActive();
    QPushButton* add = m_ui->button("cmdAddFile");
    QTest::mouseClick(m_window->windowHandle(), Qt::LeftButton, {},
                      add->mapTo(m_window.get(), add->rect().center()));
    QVERIFY(m_ui->button("cmdOK")->isEnabled());
}

void TestFrmMain::instructions_fromF1_keepsRunArmed() {
    showActive();
    m_ui->addItem(QStringLiteral("/a/f.txt"), QStringLiteral("/b/"), true);
    m_ui->button("cmdStart")->click();
    for (const char* focus : {"lstSource", "txtTimeInterval"}) {
        showActive();  // as the window manager does once the modal window is gone
        QWidget* target = m_window->findChild<QWidget*>(QString::fromLatin1(focus));
        target->setFocus();
        bool runArmed = false;
        auto seen = testsupport::answerNextModal<frmInstructions>([&](frmInstructions* dlg) {
            runArmed = m_ui->timer()->isActive();
            QTest::keyClick(dlg, Qt::Key_Escape);
        });
        QTest::keyClick(target, Qt::Key_F1);
        QVERIFY2(seen->seen, focus);
        QVERIFY(runArmed);
        QVERIFY(m_ui->timer()->isActive());
        QCOMPARE(m_ui->status(), QStringLiteral("Running"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(frmInstructions::current(), nullptr);
    }
}

void TestFrmMain::about_opensOneBoxAndLeavesWindowUsable() {
    m_ui->addItem(QStringLiteral("/a/f.txt"), QStringLiteral("/b/"), true);
    m_ui->button("cmdStart")->click();
    auto* about = m_window->findChild<QAction*>(QStringLiteral("mnuHelpAbout"));
    NoModalExpected quiet;  // modeless: the click returns at once
    about->trigger();
    about->trigger();
    QCOMPARE(quiet.count(), 0);
    int boxes = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<orvalen::ui::frmAbout*>(w) && w->isVisible()) ++boxes;
    QCOMPARE(boxes, 1);
    QVERIFY(m_ui->timer()->isActive());
    m_ui->button("cmdAddFolder")->click();
    QVERIFY(m_ui->button("cmdOK")->isEnabled());
}

void TestFrmMain::exit_whileRunning_endsAtOnceWithoutAnotherPass() {
    showActive();
    m_ui->addItem(QStringLiteral("/a/f.txt"), QStringLiteral("/b/"), true);
    m_ui->interval()->setText(QStringLiteral("0.002"));
    m_ui->button("cmdStart")->click();
    QTRY_VERIFY(m_fs && m_fs.load()->copies > 0);
    NoModalExpected quiet;
    QTest::keyClick(m_ui->list("lstSource"), Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(m_exits, 1);
    QVERIFY(!m_ui->timer()->isActive());
    QVERIFY(m_window->passRunner().waitIdle(std::chrono::seconds(5)));
    const int copies = m_fs.load()->copies;
    QTest::qWait(40);
    QCOMPARE(m_fs.load()->copies.load(), copies);
    QCOMPARE(quiet.count(), 0);
}

void TestFrmMain::closeBox_actsAsExit() {
    showActive();
    m_ui->addItem(QStringLiteral("/a/f.txt"), QStringLiteral("/b/"), true);
    m_ui->button("cmdStart")->click();
    NoModalExpected quiet;
    QVERIFY(m_window->close());
    QCOMPARE(m_exits, 1);
    QVERIFY(!m_ui->timer()->isActive());
    QCOMPARE(quiet.count(), 0);
}

QTEST_MAIN(TestFrmMain)
#include "test_frmMain.moc"
