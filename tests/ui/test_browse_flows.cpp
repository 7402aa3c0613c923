// SPDX-License-Identifier: GPL-3.0-or-later
// The entry editor's Add File, Add Folder and Edit Item flows through the real
// browse dialog, over temporary folders.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "core/mdlMain.h"
#include "support/MainWindowDriver.h"
#include "support/ModalHelpers.h"
#include "ui/qt/DirListBox.h"
#include "ui/qt/FileListBox.h"
#include "ui/qt/frmBrowse.h"
#include "ui/qt/frmMain.h"

using orvalen::mdlMain;
using orvalen::ui::frmBrowse;
using orvalen::ui::frmMain;
using testsupport::MainWindowDriver;

namespace {

// What the user does in the dialog once it is open.
struct Pick {
    QString folder;      // opened in Dir1 (empty: stay where it is)
    QString file;        // highlighted in File1 (empty: none)
    bool cancel = false;
};

}  // namespace

class TestBrowseFlows : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void addFile_picksTheFileAndTheDestination();
    void addFolder_picksTheOpenFolder();
    void editItem_replacesTheEditedRowAndKeepsItsKind();
    void cancelInTheDialog_leavesBothPathsAsTheyWere();
    void dialog_reopensWhereItWasLeft();

private:
    QString at(const QString& relative) const { return m_root.path() + "/" + relative; }
    // Clicks `browseButton` and does `pick` in the dialog it opens; returns
    // whether the file list could be used during the pick.
    bool browse(const char* browseButton, const Pick& pick);
    QString sourceCaption() const { return m_ui->label("lblSourcePath")->text(); }
    QString destinationCaption() const { return m_ui->label("lblDestinationPath")->text(); }

    QTemporaryDir m_root;
    QString m_startFolder;
    std::unique_ptr<mdlMain> m_shared;
    std::unique_ptr<frmMain> m_window;
    std::unique_ptr<MainWindowDriver> m_ui;
};

void TestBrowseFlows::initTestCase() {
    QVERIFY(m_root.isValid());
    for (const char* folder : {"Data/Photos", "Share", "Other"}) QVERIFY(QDir().mkpath(at(folder)));
    for (const char* file : {"Data/report.doc", "Data/notes.txt"}) {
        QFile f(at(file));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    // The dialog's first showing starts at the process's current folder.
    m_startFolder = QDir::currentPath();
    QVERIFY(QDir::setCurrent(at("Data")));
}

void TestBrowseFlows::init() {
    m_shared = std::make_unique<mdlMain>();
    m_window = std::make_unique<frmMain>(*m_shared);
    m_window->setExitAction([] {});
    m_ui = std::make_unique<MainWindowDriver>(*m_window);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestBrowseFlows::cleanup() {
    testsupport::closeLeftoverModals();
    m_ui.reset();
    m_window.reset();
    m_shared.reset();
}

bool TestBrowseFlows::browse(const char* browseButton, const Pick& pick) {
    bool fileListEnabled = false;
    auto seen = testsupport::answerNextModal<frmBrowse>([&](frmBrowse* d) {
        if (!pick.folder.isEmpty()) d->Dir1()->setPath(pick.folder);
        fileListEnabled = d->File1()->isEnabled();
        if (!pick.file.isEmpty()) {
            const auto found = d->File1()->findItems(pick.file, Qt::MatchExactly);
            if (!found.isEmpty()) d->File1()->setCurrentItem(found.first());
        }
        (pick.cancel ? d->cmdCancel() : d->cmdSelect())->click();
    });
    m_ui->button(browseButton)->click();
    if (!seen->seen) QTest::qFail("the browse dialog did not open", __FILE__, __LINE__);
    return fileListEnabled;
}

void TestBrowseFlows::addFile_picksTheFileAndTheDestination() {
    m_ui->button("cmdAddFile")->click();
    QVERIFY(browse("cmdBrowseSource", {at("Data"), "report.doc"}));
    QCOMPARE(sourceCaption(), at("Data/report.doc"));
    QVERIFY2(!browse("cmdBrowseDestination", {at("Share"), {}}),
             "the file list is not for picking a destination");
    QCOMPARE(destinationCaption(), at("Share/"));

    m_ui->button("cmdOK")->click();
    QCOMPARE(m_ui->rows("lstSource"), QStringList{at("Data/report.doc")});
    QCOMPARE(m_ui->rows("lstDestination"), QStringList{at("Share/")});
    QVERIFY(m_shared->Items.ItemIsFile(0));
    QVERIFY(sourceCaption().isEmpty());
}

void TestBrowseFlows::addFolder_picksTheOpenFolder() {
    m_ui->button("cmdAddFolder")->click();
    QVERIFY2(!browse("cmdBrowseSource", {at("Data/Photos"), {}}),
             "the file list is not for picking a folder");
    QCOMPARE(sourceCaption(), at("Data/Photos"));
    browse("cmdBrowseDestination", {at("Share"), {}});
    m_ui->button("cmdOK")->click();
    QCOMPARE(m_ui->rows("lstSource"), QStringList{at("Data/Photos")});
    QVERIFY(!m_shared->Items.ItemIsFile(0));
}

void TestBrowseFlows::editItem_replacesTheEditedRowAndKeepsItsKind() {
    m_ui->addItem(at("Data/notes.txt"), at("Share/"), true);
    m_ui->addItem(at("Data/Photos"), at("Share/"), false);
    m_ui->clickRow("lstSource", 0);
    m_ui->button("cmdEditItem")->click();
    QCOMPARE(sourceCaption(), at("Data/notes.txt"));

    browse("cmdBrowseDestination", {at("Other"), {}});
    QCOMPARE(destinationCaption(), at("Other/"));
    QCOMPARE(sourceCaption(), at("Data/notes.txt"));  // the other path stays
    m_ui->button("cmdOK")->click();

    QCOMPARE(m_ui->rows("lstDestination"), (QStringList{at("Other/"), at("Share/")}));
    QCOMPARE(m_ui->rows("lstSource"), (QStringList{at("Data/notes.txt"), at("Data/Photos")}));
    QVERIFY(m_shared->Items.ItemIsFile(0));
    QVERIFY(!m_shared->Items.ItemIsFile(1));
}

void TestBrowseFlows::cancelInTheDialog_leavesBothPathsAsTheyWere() {
    m_ui->button("cmdAddFile")->click();
    browse("cmdBrowseSource", {at("Data"), "report.doc"});
    Pick cancel{at("Other"), {}, true};
    browse("cmdBrowseDestination", cancel);
    QCOMPARE(sourceCaption(), at("Data/report.doc"));
    QVERIFY(destinationCaption().isEmpty());
    browse("cmdBrowseSource", {at("Data"), "notes.txt", true});
    QCOMPARE(sourceCaption(), at("Data/report.doc"));
}

void TestBrowseFlows::dialog_reopensWhereItWasLeft() {
    m_ui->button("cmdAddFile")->click();
    browse("cmdBrowseSource", {at("Data"), "notes.txt"});
    // Nothing opened or highlighted this time: Select takes what was left.
    browse("cmdBrowseSource", {});
    QCOMPARE(sourceCaption(), at("Data/notes.txt"));
}

QTEST_MAIN(TestBrowseFlows)
#include "test_browse_flows.moc"
