// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/RuntimeError.h"
#include "core/mdlMain.h"
#include "platform/FolderListing.h"
#include "platform/VolumeSource.h"
#include "support/ModalHelpers.h"
#include "ui/qt/MessageBoxes.h"
#include "ui/qt/BrowseLauncher.h"
#include "ui/qt/DirListBox.h"
#include "ui/qt/FileListBox.h"
#include "ui/logic/PathFields.h"
#include "ui/qt/FileSystemText.h"
#include "ui/qt/frmBrowse.h"

using orvalen::ui::setNextAnswer;
using Answer = orvalen::ui::MessageBox::Answer;

using orvalen::RuntimeError;
using orvalen::mdlMain;
using orvalen::platform::FolderListing;
using orvalen::platform::Volume;
using orvalen::ui::BrowseLauncher;
using orvalen::ui::frmBrowse;

namespace {

// The real folders, except where a test scripts a volume that is not ready,
// a folder that refuses listing, or the contents of the root.
class ScriptedVolumes : public orvalen::platform::VolumeSource {
public:
    std::vector<Volume> list;
    std::map<std::string, int> notReadyTimes;   // mount point -> failures with 68 still to come
    std::map<std::string, int> otherFailure;    // mount point -> number it fails with
    std::map<std::string, int> listFailure;     // folder -> number its listing fails with
    std::map<std::string, FolderListing> fixed; // folder -> listing given instead of the disk's
    std::vector<std::string> opened;            // every openVolume call

    std::vector<Volume> volumes() override { return list; }

    void openVolume(const std::string& mountPoint) override {
        opened.push_back(mountPoint);
        if (auto it = notReadyTimes.find(mountPoint); it != notReadyTimes.end() && it->second > 0) {
            --it->second;
            throw RuntimeError(orvalen::err::kDeviceUnavailable, "no medium in " + mountPoint);
        }
        if (auto it = otherFailure.find(mountPoint); it != otherFailure.end())
            throw RuntimeError(it->second, "cannot open " + mountPoint);
    }

    FolderListing listFolder(const std::string& path) override {
        if (auto it = listFailure.find(path); it != listFailure.end())
            throw RuntimeError(it->second, "cannot list " + path);
        if (auto it = fixed.find(path); it != fixed.end()) return it->second;
        return orvalen::platform::ListFolder(path);
    }
};

// The two path fields of the entry editor, recording every write.
class RecordingCaptions : public orvalen::ui::PathFields {
public:
    QStringList writes;  // "source:<path>" or "destination:<path>"
    void setSourcePath(const std::string& path) override {
        writes << QStringLiteral("source:") + orvalen::ui::NameFromFileSystem(path);
    }
    void setDestinationPath(const std::string& path) override {
        writes << QStringLiteral("destination:") + orvalen::ui::NameFromFileSystem(path);
    }
};

enum class Picking { SourceFile, SourceFolder, Destination };

void setFlags(mdlMain& shared, Picking picking, bool addingFile = true) {
    shared.BrowsingDestination = picking == Picking::Destination;
    shared.AddingFile = picking == Picking::Destination ? addingFile : picking == Picking::SourceFile;
}

bool highlightFile(frmBrowse& dialog, const QString& name) {
    const auto found = dialog.File1()->findItems(name, Qt::MatchExactly);
    if (found.isEmpty()) return false;
    dialog.File1()->setCurrentItem(found.first());
    return true;
}

// The row of Dir1 whose text is `name`, or -1.
int dirRow(const frmBrowse& dialog, const QString& name) {
    int row = 0;
    for (QTreeWidgetItem* item = dialog.Dir1()->topLevelItem(0); item; item = dialog.Dir1()->itemBelow(item), ++row)
        if (item->text(0) == name) return row;
    return -1;
}

QTreeWidgetItem* dirItem(const frmBrowse& dialog, const QString& name) {
    for (QTreeWidgetItem* item = dialog.Dir1()->topLevelItem(0); item; item = dialog.Dir1()->itemBelow(item))
        if (item->text(0) == name) return item;
    return nullptr;
}

QStringList fileNames(const frmBrowse& dialog) {
    QStringList names;
    for (int i = 0; i < dialog.File1()->count(); ++i) names << dialog.File1()->item(i)->text();
    return names;
}

int driveIndex(const frmBrowse& dialog, const QString& mountPoint) {
    return dialog.Drive1()->findData(mountPoint);
}

}  // namespace

class TestFrmBrowse : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void window_hasItsCaptionsTooltipsAndButtons();
    void window_controlsDoNotOverlapAndLabelsFit();
    void window_tabOrderRunsSelectCancelDriveFolderFile();

    void firstShowing_startsAtTheProcessCurrentFolder();
    void driveList_showsEveryVolumeWithItsName();

    void select_composesThePath_data();
    void select_composesThePath();
    void select_sourceFileWithNothingHighlighted_warnsAndStaysOpen();
    void select_usesTheOpenFolderNotTheHighlightedOne();

    void dir1_doubleClickOpensAFolderAndListsItsFiles();
    void dir1_enterPressesSelect();
    void dir1_ancestorsOpenToo();
    void dir1_unreadableFolder_showsEmptyFileList();
    void dir1_folderGoneBeforeOpening_showsEmptyLists();

    void cancel_escapeAndCloseBox_writeNothing();

    void file1_enabledOnlyForASourceFile_data();
    void file1_enabledOnlyForASourceFile();
    void file1_ruleFollowsTheFlagsAtEveryShowing();
    void file1_namesInNaturalOrder();

    void driveChange_opensTheRootThenTheLastFolderUsed();
    void driveChange_lastFolderGone_opensTheRoot();
    void driveNotReady_retryAfterTheMediumComesBack();
    void driveNotReady_cancelKeepsListsButDriveShowsChoice();
    void driveNotReady_retryReadsDrive1Afresh();
    void driveChange_otherFailureIsIgnoredWithoutAMessage();

    void launcher_oneDialogKeepsItsStateBetweenOpenings();
    void launcher_showsNewFilesButKeepsTheHighlight();

private:
    // Builds a fresh dialog over the tree, starting in `startFolder`.
    frmBrowse& make(const QString& startFolder);
    QString at(const QString& relative) const { return QDir::cleanPath(m_tree->path() + "/" + relative); }
    void touch(const QString& relative) {
        QFile file(at(relative));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    std::unique_ptr<QTemporaryDir> m_tree;
    mdlMain m_shared;
    RecordingCaptions m_captions;
    ScriptedVolumes* m_volumes = nullptr;  // owned by the dialog
    std::unique_ptr<frmBrowse> m_dialog;
    QString m_startedIn;
};

void TestFrmBrowse::init() {
    m_startedIn = QDir::currentPath();
    m_tree = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tree->isValid());
    for (const char* folder : {"Data/Sub", "Data/Empty", "Other", "medium/Photos", "share/Team"})
        QVERIFY(QDir().mkpath(at(QString::fromLatin1(folder))));
    for (const char* file : {"Data/a.txt", "Data/b.txt", "Data/.hidden", "Data/Sub/deep.txt",
                             "medium/readme.txt", "medium/Photos/p1.jpg", "share/Team/plan.doc"})
        touch(QString::fromLatin1(file));
    m_shared = mdlMain{};
    m_captions.writes.clear();
}

void TestFrmBrowse::cleanup() {
    testsupport::closeLeftoverModals();
    m_dialog.reset();
    m_volumes = nullptr;
    QDir::setCurrent(m_startedIn);
    m_tree.reset();
}

frmBrowse& TestFrmBrowse::make(const QString& startFolder) {
    auto volumes = std::make_unique<ScriptedVolumes>();
    volumes->list = {Volume{"/", "System"}, Volume{at("medium").toStdString(), "STICK"},
                     Volume{at("share").toStdString(), "//nas/team"}};
    m_volumes = volumes.get();
    QDir::setCurrent(startFolder);
    m_dialog = std::make_unique<frmBrowse>(m_shared, m_captions, std::move(volumes));
    return *m_dialog;
}

void TestFrmBrowse::window_hasItsCaptionsTooltipsAndButtons() {
    frmBrowse& d = make(at("Data"));
    QCOMPARE(d.windowTitle(), QStringLiteral("Select File/Folder"));
    QCOMPARE(d.findChild<QLabel*>("Label1")->text(), QStringLiteral("Select drive:"));
    QCOMPARE(d.findChild<QLabel*>("Label2")->text(), QStringLiteral("Select folder:"));
    QCOMPARE(d.findChild<QLabel*>("Label3")->text(), QStringLiteral("Select file:"));
    QCOMPARE(d.findChild<QComboBox*>("Drive1"), d.Drive1());
    QCOMPARE(d.findChild<orvalen::ui::DirListBox*>("Dir1"), d.Dir1());
    QCOMPARE(d.findChild<orvalen::ui::FileListBox*>("File1"), d.File1());
    QPushButton* select = d.findChild<QPushButton*>("cmdSelect");
    QPushButton* cancel = d.findChild<QPushButton*>("cmdCancel");
    QVERIFY(select && cancel);
    QCOMPARE(select->text(), QStringLiteral("Select"));
    QCOMPARE(select->toolTip(), QStringLiteral("Select file/folder"));
    QVERIFY(select->isDefault());
    QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
    QCOMPARE(cancel->toolTip(), QStringLiteral("Close this window without selecting any files/folders"));
    QVERIFY(!d.File1()->isEnabled());  // before any showing
    const Qt::WindowFlags flags = d.windowFlags();
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QCOMPARE(d.minimumSize(), d.maximumSize());
}

void TestFrmBrowse::window_controlsDoNotOverlapAndLabelsFit() {
    frmBrowse& d = make(at("Data"));
    const QList<QWidget*> controls = {d.findChild<QLabel*>("Label1"), d.Drive1(), d.cmdSelect(),
                                      d.cmdCancel(), d.findChild<QLabel*>("Label2"), d.Dir1(),
                                      d.findChild<QLabel*>("Label3"), d.File1()};
    const QRect client(QPoint(0, 0), d.size());
    for (int i = 0; i < controls.size(); ++i) {
        QVERIFY2(client.contains(controls[i]->geometry()), qPrintable(controls[i]->objectName()));
        for (int j = i + 1; j < controls.size(); ++j)
            QVERIFY2(!controls[i]->geometry().intersects(controls[j]->geometry()),
                     qPrintable(controls[i]->objectName() + " overlaps " + controls[j]->objectName()));
    }
    for (const char* name : {"Label1", "Label2", "Label3"}) {
        auto* label = d.findChild<QLabel*>(name);
        QVERIFY2(label->width() >= label->fontMetrics().horizontalAdvance(label->text()), name);
        QVERIFY2(label->height() >= label->fontMetrics().height(), name);
    }
    for (QPushButton* b : {d.cmdSelect(), d.cmdCancel()})
        QVERIFY(b->width() >= b->fontMetrics().horizontalAdvance(b->text()) + 8);
    QVERIFY(d.Drive1()->height() >= d.Drive1()->sizeHint().height());
}

void TestFrmBrowse::window_tabOrderRunsSelectCancelDriveFolderFile() {
    frmBrowse& d = make(at("Data"));
    setFlags(m_shared, Picking::SourceFile);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    d.cmdSelect()->setFocus();
    const QList<QWidget*> expected = {d.cmdCancel(), d.Drive1(), d.Dir1(), d.File1(), d.cmdSelect()};
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

void TestFrmBrowse::firstShowing_startsAtTheProcessCurrentFolder() {
    frmBrowse& d = make(at("Data/Sub"));
    QCOMPARE(d.Dir1()->path(), at("Data/Sub"));
    QCOMPARE(d.File1()->path(), at("Data/Sub"));
    QCOMPARE(fileNames(d), QStringList{"deep.txt"});
    QCOMPARE(d.Drive1()->currentData().toString(), QStringLiteral("/"));
}

void TestFrmBrowse::driveList_showsEveryVolumeWithItsName() {
    frmBrowse& d = make(at("Data"));
    QCOMPARE(d.Drive1()->count(), 3);
    QCOMPARE(d.Drive1()->itemText(0), QStringLiteral("/ [System]"));
    QCOMPARE(d.Drive1()->itemText(1), at("medium") + " [STICK]");
    QCOMPARE(d.Drive1()->itemText(2), at("share") + " [//nas/team]");
}

void TestFrmBrowse::select_composesThePath_data() {
    QTest::addColumn<int>("picking");
    QTest::addColumn<QString>("folder");  // "/" for the root, else inside the tree
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("expected");  // with "<tree>" for the tree's path

    QTest::newRow("destination in a folder") << int(Picking::Destination) << "Data" << "" << "destination:<tree>/Data/";
    QTest::newRow("destination in a nested folder") << int(Picking::Destination) << "Data/Sub" << "" << "destination:<tree>/Data/Sub/";
    QTest::newRow("destination at the root") << int(Picking::Destination) << "/" << "" << "destination:/";
    QTest::newRow("destination ignores a highlighted file") << int(Picking::Destination) << "Data" << "a.txt" << "destination:<tree>/Data/";
    QTest::newRow("source folder") << int(Picking::SourceFolder) << "Data" << "" << "source:<tree>/Data";
    QTest::newRow("source folder nested") << int(Picking::SourceFolder) << "Data/Sub" << "" << "source:<tree>/Data/Sub";
    QTest::newRow("source folder at the root") << int(Picking::SourceFolder) << "/" << "" << "source:/";
    QTest::newRow("source file") << int(Picking::SourceFile) << "Data" << "b.txt" << "source:<tree>/Data/b.txt";
    QTest::newRow("source file nested") << int(Picking::SourceFile) << "Data/Sub" << "deep.txt" << "source:<tree>/Data/Sub/deep.txt";
    QTest::newRow("source file at the root") << int(Picking::SourceFile) << "/" << "a.txt" << "source:/a.txt";
}

void TestFrmBrowse::select_composesThePath() {
    QFETCH(int, picking);
    QFETCH(QString, folder);
    QFETCH(QString, file);
    QFETCH(QString, expected);

    frmBrowse& d = make(at("Other"));
    // The real root is only looked at; its listing is scripted.
    m_volumes->fixed["/"] = FolderListing{{"Data"}, {"a.txt", "vmlinuz"}};
    setFlags(m_shared, static_cast<Picking>(picking));
    d.show();
    d.Dir1()->setPath(folder == "/" ? folder : at(folder));
    if (!file.isEmpty()) QVERIFY(highlightFile(d, file));
    QTest::mouseClick(d.cmdSelect(), Qt::LeftButton);

    QCOMPARE(m_captions.writes, QStringList{QString(expected).replace("<tree>", m_tree->path())});
    QVERIFY(!d.isVisible());
}

void TestFrmBrowse::select_sourceFileWithNothingHighlighted_warnsAndStaysOpen() {
    frmBrowse& d = make(at("Data"));
    setFlags(m_shared, Picking::SourceFile);
    d.show();
    QVERIFY(d.File1()->count() > 0);
    QVERIFY(d.File1()->fileName().isEmpty());
    auto box = setNextAnswer(Answer::Ok);
    QTest::mouseClick(d.cmdSelect(), Qt::LeftButton);

    QVERIFY(box->seen);
    QCOMPARE(box->text, QStringLiteral("Please choose a file."));
    QCOMPARE(box->title, QStringLiteral("Orvalen"));
    QCOMPARE(box->icon, int(QMessageBox::Warning));
    QCOMPARE(box->buttons.join(',').remove('&'), QStringLiteral("OK"));
    QVERIFY(m_captions.writes.isEmpty());
    QVERIFY(d.isVisible());
    QCOMPARE(d.Dir1()->path(), at("Data"));

    // The user then highlights a file, and Select goes through.
    QVERIFY(highlightFile(d, "a.txt"));
    QTest::mouseClick(d.cmdSelect(), Qt::LeftButton);
    QCOMPARE(m_captions.writes, QStringList{"source:" + at("Data/a.txt")});
}

void TestFrmBrowse::select_usesTheOpenFolderNotTheHighlightedOne() {
    frmBrowse& d = make(at("Data"));
    setFlags(m_shared, Picking::SourceFolder);
    d.show();
    QTreeWidgetItem* sub = dirItem(d, "Sub");
    QVERIFY(sub);
    d.Dir1()->setCurrentItem(sub);
    QCOMPARE(d.Dir1()->highlightedPath(), at("Data/Sub"));
    QCOMPARE(d.Dir1()->path(), at("Data"));
    QCOMPARE(d.File1()->path(), at("Data"));
    QTest::mouseClick(d.cmdSelect(), Qt::LeftButton);
    QCOMPARE(m_captions.writes, QStringList{"source:" + at("Data")});
}

void TestFrmBrowse::dir1_doubleClickOpensAFolderAndListsItsFiles() {
    frmBrowse& d = make(at("Data"));
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QTreeWidgetItem* sub = dirItem(d, "Sub");
    QVERIFY(sub);
    const QRect rect = d.Dir1()->visualItemRect(sub);
    QVERIFY(rect.isValid());
    QTest::mouseClick(d.Dir1()->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(d.Dir1()->path(), at("Data"));  // one click only highlights
    QTest::mouseDClick(d.Dir1()->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(d.Dir1()->path(), at("Data/Sub"));
    QCOMPARE(d.File1()->path(), at("Data/Sub"));
    QCOMPARE(fileNames(d), QStringList{"deep.txt"});
}

void TestFrmBrowse::dir1_enterPressesSelect() {
    frmBrowse& d = make(at("Data"));
    setFlags(m_shared, Picking::SourceFolder);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    d.Dir1()->setFocus();
    d.Dir1()->setCurrentItem(dirItem(d, "Sub"));
    QTest::keyClick(d.Dir1(), Qt::Key_Return);
    // Select takes the open folder, not the highlighted one.
    QCOMPARE(d.Dir1()->path(), at("Data"));
    QVERIFY(!d.isVisible());
    QCOMPARE(m_captions.writes, QStringList{"source:" + at("Data")});
}

void TestFrmBrowse::dir1_ancestorsOpenToo() {
    frmBrowse& d = make(at("Data/Sub"));
    // The chain reads root, ..., Data, Sub; each one deeper than the last.
    const QStringList parts = at("Data/Sub").split('/', Qt::SkipEmptyParts);
    QCOMPARE(dirRow(d, "Sub"), parts.size());
    QTreeWidgetItem* data = dirItem(d, "Data");
    QVERIFY(data);
    QCOMPARE(data->child(0)->text(0), QStringLiteral("Sub"));
    d.Dir1()->openRow(dirRow(d, "Data"));
    QCOMPARE(d.Dir1()->path(), at("Data"));
    QCOMPARE(fileNames(d), (QStringList{"a.txt", "b.txt"}));
    m_volumes->fixed["/"] = FolderListing{{"srv", "tmp"}, {"swapfile"}};
    d.Dir1()->openRow(0);
    QCOMPARE(d.Dir1()->path(), QStringLiteral("/"));
    QCOMPARE(fileNames(d), QStringList{"swapfile"});
    QCOMPARE(d.Dir1()->topLevelItem(0)->childCount(), 2);
}

void TestFrmBrowse::dir1_unreadableFolder_showsEmptyFileList() {
    QVERIFY(QDir().mkpath(at("Data/Sub/Inner")));
    frmBrowse& d = make(at("Data"));
    m_volumes->listFailure[at("Data/Sub").toStdString()] = orvalen::err::kPermissionDenied;
    d.Dir1()->openRow(dirRow(d, "Sub"));
    QCOMPARE(d.Dir1()->path(), at("Data/Sub"));
    QCOMPARE(d.File1()->count(), 0);
    QCOMPARE(dirItem(d, "Sub")->childCount(), 0);  // Inner cannot be seen either
    // Such a folder can still be the destination.
    setFlags(m_shared, Picking::Destination);
    QTest::mouseClick(d.cmdSelect(), Qt::LeftButton);
    QCOMPARE(m_captions.writes, QStringList{"destination:" + at("Data/Sub") + "/"});
}

void TestFrmBrowse::dir1_folderGoneBeforeOpening_showsEmptyLists() {
    frmBrowse& d = make(at("Data"));
    QVERIFY(QDir(at("Data/Sub")).removeRecursively());
    d.Dir1()->openRow(dirRow(d, "Sub"));
    QCOMPARE(d.Dir1()->path(), at("Data/Sub"));
    QCOMPARE(d.File1()->count(), 0);
    QCOMPARE(dirItem(d, "Sub")->childCount(), 0);
}

void TestFrmBrowse::cancel_escapeAndCloseBox_writeNothing() {
    frmBrowse& d = make(at("Data"));
    setFlags(m_shared, Picking::SourceFile);
    d.show();
    QVERIFY(highlightFile(d, "a.txt"));
    QTest::mouseClick(d.cmdCancel(), Qt::LeftButton);
    QVERIFY(!d.isVisible());

    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QTest::keyClick(&d, Qt::Key_Escape);
    QVERIFY(!d.isVisible());

    d.show();
    QVERIFY(d.close());
    QVERIFY(!d.isVisible());

    QVERIFY(m_captions.writes.isEmpty());
    QVERIFY(m_shared.AddingFile);
    QVERIFY(!m_shared.BrowsingDestination);
}

void TestFrmBrowse::file1_enabledOnlyForASourceFile_data() {
    QTest::addColumn<bool>("destination");
    QTest::addColumn<bool>("addingFile");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("source file") << false << true << true;
    QTest::newRow("source folder") << false << false << false;
    QTest::newRow("destination of a file item") << true << true << false;
    QTest::newRow("destination of a folder item") << true << false << false;
}

void TestFrmBrowse::file1_enabledOnlyForASourceFile() {
    QFETCH(bool, destination);
    QFETCH(bool, addingFile);
    QFETCH(bool, enabled);
    frmBrowse& d = make(at("Data"));
    m_shared.BrowsingDestination = destination;
    m_shared.AddingFile = addingFile;
    d.show();
    QCOMPARE(d.File1()->isEnabled(), enabled);
    QCOMPARE(fileNames(d), (QStringList{"a.txt", "b.txt"}));  // listed either way
}

void TestFrmBrowse::file1_ruleFollowsTheFlagsAtEveryShowing() {
    frmBrowse& d = make(at("Data"));
    setFlags(m_shared, Picking::SourceFile);
    d.show();
    QVERIFY(d.File1()->isEnabled());
    d.hide();
    setFlags(m_shared, Picking::Destination);
    d.show();
    QVERIFY(!d.File1()->isEnabled());
    d.hide();
    setFlags(m_shared, Picking::SourceFile);
    d.show();
    QVERIFY(d.File1()->isEnabled());
}

void TestFrmBrowse::file1_namesInNaturalOrder() {
    frmBrowse& d = make(at("Other"));
    for (const char* name : {"photo10.jpg", "Photo2.jpg", "photo1.jpg", "zeta.txt", "Alpha.txt"})
        touch(QString::fromLatin1("Other/") + name);
    d.Dir1()->setPath(at("Data"));
    d.Dir1()->setPath(at("Other"));
    QCOMPARE(fileNames(d), (QStringList{"Alpha.txt", "photo1.jpg", "Photo2.jpg", "photo10.jpg", "zeta.txt"}));
}

void TestFrmBrowse::driveChange_opensTheRootThenTheLastFolderUsed() {
    frmBrowse& d = make(at("Data"));
    d.show();
    d.Drive1()->setCurrentIndex(driveIndex(d, at("medium")));
    QCOMPARE(d.Dir1()->path(), at("medium"));
    QCOMPARE(fileNames(d), QStringList{"readme.txt"});
    d.Dir1()->openRow(dirRow(d, "Photos"));
    QCOMPARE(fileNames(d), QStringList{"p1.jpg"});

    d.Drive1()->setCurrentIndex(driveIndex(d, "/"));
    QCOMPARE(d.Dir1()->path(), at("Data"));  // where the root volume was left
    d.Drive1()->setCurrentIndex(driveIndex(d, at("medium")));
    QCOMPARE(d.Dir1()->path(), at("medium/Photos"));
    QCOMPARE(d.File1()->path(), at("medium/Photos"));
}

void TestFrmBrowse::driveChange_lastFolderGone_opensTheRoot() {
    frmBrowse& d = make(at("Data"));
    d.Drive1()->setCurrentIndex(driveIndex(d, at("medium")));
    d.Dir1()->openRow(dirRow(d, "Photos"));
    d.Drive1()->setCurrentIndex(driveIndex(d, at("share")));
    QVERIFY(QDir(at("medium/Photos")).removeRecursively());
    d.Drive1()->setCurrentIndex(driveIndex(d, at("medium")));
    QCOMPARE(d.Dir1()->path(), at("medium"));
    QCOMPARE(fileNames(d), QStringList{"readme.txt"});
}

void TestFrmBrowse::driveNotReady_retryAfterTheMediumComesBack() {
    frmBrowse& d = make(at("Data"));
    d.show();
    const std::string medium = at("medium").toStdString();
    m_volumes->notReadyTimes[medium] = 2;

    // Retry while the medium is still out brings the message back; the
    // second Retry finds it in.
    auto first = setNextAnswer(Answer::Retry);
    auto second = setNextAnswer(Answer::Retry);
    d.Drive1()->setCurrentIndex(driveIndex(d, at("medium")));

    QVERIFY(first->seen && second->seen);
    QCOMPARE(first->text, QStringLiteral("The drive you selected is not ready."));
    QCOMPARE(first->title, QStringLiteral("Orvalen"));
    QCOMPARE(first->icon, int(QMessageBox::Warning));
    QStringList buttons = first->buttons;
    buttons.replaceInStrings("&", "");
    buttons.sort();
    QCOMPARE(buttons, (QStringList{"Cancel", "Retry"}));
    QCOMPARE(m_volumes->opened, (std::vector<std::string>{medium, medium, medium}));
    QCOMPARE(d.Dir1()->path(), at("medium"));
    QCOMPARE(fileNames(d), QStringList{"readme.txt"});
    QCOMPARE(d.Drive1()->currentData().toString(), at("medium"));
}

void TestFrmBrowse::driveNotReady_cancelKeepsListsButDriveShowsChoice() {
    frmBrowse& d = make(at("Data"));
    setFlags(m_shared, Picking::SourceFolder);
    d.show();
    QVERIFY(highlightFile(d, "b.txt"));
    m_volumes->notReadyTimes[at("medium").toStdString()] = 100;
    auto box = setNextAnswer(Answer::Cancel);
    d.Drive1()->setCurrentIndex(driveIndex(d, at("medium")));

    QVERIFY(box->seen);
    QCOMPARE(m_volumes->opened.size(), std::size_t{1});
    QCOMPARE(d.Drive1()->currentData().toString(), at("medium"));
    QCOMPARE(d.Dir1()->path(), at("Data"));
    QCOMPARE(d.File1()->path(), at("Data"));
    QCOMPARE(d.File1()->fileName(), QStringLiteral("b.txt"));
    QTest::mouseClick(d.cmdSelect(), Qt::LeftButton);
    QCOMPARE(m_captions.writes, QStringList{"source:" + at("Data")});
}

void TestFrmBrowse::driveNotReady_retryReadsDrive1Afresh() {
    frmBrowse& d = make(at("Data"));
    d.show();
    m_volumes->notReadyTimes[at("medium").toStdString()] = 100;
    // While the message is up the drive list moves to the share; Retry then
    // goes there instead of asking the missing medium again.
    auto box = setNextAnswer(Answer::Retry, [&d, this] { d.Drive1()->setCurrentIndex(driveIndex(d, at("share"))); });
    d.Drive1()->setCurrentIndex(driveIndex(d, at("medium")));

    QVERIFY(box->seen);
    QCOMPARE(d.Dir1()->path(), at("share"));
    QCOMPARE(m_volumes->opened,
             (std::vector<std::string>{at("medium").toStdString(), at("share").toStdString()}));
}

void TestFrmBrowse::driveChange_otherFailureIsIgnoredWithoutAMessage() {
    frmBrowse& d = make(at("Data"));
    d.show();
    m_volumes->otherFailure[at("share").toStdString()] = orvalen::err::kPermissionDenied;
    {
        testsupport::NoModalExpected noBox;
        d.Drive1()->setCurrentIndex(driveIndex(d, at("share")));
        QTest::qWait(50);
        QCOMPARE(noBox.count(), 0);
    }
    QCOMPARE(m_volumes->opened.size(), std::size_t{1});
    QCOMPARE(d.Dir1()->path(), at("Data"));
    QCOMPARE(d.Drive1()->currentData().toString(), at("share"));
}

void TestFrmBrowse::launcher_oneDialogKeepsItsStateBetweenOpenings() {
    QDir::setCurrent(at("Data"));
    BrowseLauncher launcher(m_shared, m_captions, [this] {
        auto volumes = std::make_unique<ScriptedVolumes>();
        volumes->list = {Volume{"/", ""}, Volume{at("medium").toStdString(), "STICK"}};
        return volumes;
    });
    QVERIFY(launcher.existing() == nullptr);

    setFlags(m_shared, Picking::SourceFile);
    frmBrowse* seen = nullptr;
    auto first = testsupport::answerNextModal<frmBrowse>([&](frmBrowse* d) {
        seen = d;
        d->Drive1()->setCurrentIndex(d->Drive1()->findData(at("medium")));
        d->Dir1()->openRow(dirRow(*d, "Photos"));
        highlightFile(*d, "p1.jpg");
        d->cmdSelect()->click();
    });
    launcher.show();
    QVERIFY(first->seen);
    QCOMPARE(first->title, QStringLiteral("Select File/Folder"));
    QCOMPARE(m_captions.writes, QStringList{"source:" + at("medium/Photos/p1.jpg")});
    QCOMPARE(launcher.existing(), seen);

    // The second opening finds drive, folder and file as they were left.
    QString drive, folder, file;
    auto second = testsupport::answerNextModal<frmBrowse>([&](frmBrowse* d) {
        drive = d->Drive1()->currentData().toString();
        folder = d->Dir1()->path();
        file = d->File1()->fileName();
        d->cmdCancel()->click();
    });
    launcher.show();
    QVERIFY(second->seen);
    QCOMPARE(launcher.existing(), seen);
    QCOMPARE(drive, at("medium"));
    QCOMPARE(folder, at("medium/Photos"));
    QCOMPARE(file, QStringLiteral("p1.jpg"));
    QCOMPARE(m_captions.writes.size(), 1);  // Cancel added nothing
}

void TestFrmBrowse::launcher_showsNewFilesButKeepsTheHighlight() {
    frmBrowse& d = make(at("Data"));
    setFlags(m_shared, Picking::SourceFile);
    d.show();
    QVERIFY(highlightFile(d, "b.txt"));
    d.Dir1()->setCurrentItem(dirItem(d, "Empty"));
    QTest::mouseClick(d.cmdCancel(), Qt::LeftButton);

    touch("Data/c.txt");
    QVERIFY(QDir(at("Data")).mkdir("New"));
    d.show();
    QCOMPARE(fileNames(d), (QStringList{"a.txt", "b.txt", "c.txt"}));
    QCOMPARE(d.File1()->fileName(), QStringLiteral("b.txt"));
    QVERIFY(dirItem(d, "New"));
    QCOMPARE(d.Dir1()->highlightedPath(), at("Data/Empty"));
}

QTEST_MAIN(TestFrmBrowse)
#include "test_frmBrowse.moc"
