// SPDX-License-Identifier: GPL-3.0-or-later
// The real window guarding real folders: tmrTimer ticks, the local file
// system copies, and the pass's questions are the window's message boxes.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "core/mdlMain.h"
#include "platform/LocalFileSystem.h"
#include "support/MainWindowDriver.h"
#include "support/ModalHelpers.h"
#include "ui/qt/MessageBoxes.h"
#include "ui/qt/frmMain.h"

using orvalen::ui::setNextAnswer;
using Answer = orvalen::ui::MessageBox::Answer;

using orvalen::mdlMain;
using orvalen::ui::frmMain;

using testsupport::MainWindowDriver;

namespace {

constexpr int kWaitMs = 5000;  // only a failing run waits this long

bool writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class TestFrmMainGuard : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void deletedCopyComesBack_andOtherSizeIsReplaced();
    void missingDestinationFolders_areCreatedForAFolderItem();
    void missingSource_cancelStopsTheRun();
    void missingSource_retryAfterItAppears_copiesAndRunsOn();

private:
    QString src(const QString& rel) const { return m_root->filePath(QStringLiteral("src/") + rel); }
    QString dst(const QString& rel) const { return m_root->filePath(QStringLiteral("dst/") + rel); }
    void startEvery50ms();

    std::unique_ptr<QTemporaryDir> m_root;
    std::unique_ptr<mdlMain> m_shared;
    std::unique_ptr<frmMain> m_window;
    std::unique_ptr<MainWindowDriver> m_ui;
};

void TestFrmMainGuard::init() {
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    QVERIFY(QDir().mkpath(m_root->filePath(QStringLiteral("src"))));
    QVERIFY(QDir().mkpath(m_root->filePath(QStringLiteral("dst"))));
    m_shared = std::make_unique<mdlMain>();
    m_shared->MakeFileSystem = orvalen::platform::MakeLocalFileSystem;
    m_window = std::make_unique<frmMain>(*m_shared);
    m_window->setExitAction([] {});
    m_ui = std::make_unique<MainWindowDriver>(*m_window);
}

void TestFrmMainGuard::cleanup() {
    testsupport::closeLeftoverModals();
    m_ui.reset();
    m_window.reset();
    m_shared.reset();
    m_root.reset();
}

void TestFrmMainGuard::startEvery50ms() {
    m_ui->interval()->setText(QStringLiteral("0.05"));
    m_ui->button("cmdStart")->click();
    QCOMPARE(m_ui->status(), QStringLiteral("Running"));
    QCOMPARE(m_ui->timer()->interval(), 50);
}

void TestFrmMainGuard::deletedCopyComesBack_andOtherSizeIsReplaced() {
    const QByteArray content("the report, version one\n");
    QVERIFY(writeFile(src(QStringLiteral("report.txt")), content));
    // Destinations end with the separator, as the browse dialog writes them.
    m_ui->addItem(src(QStringLiteral("report.txt")), dst(QString()), true);
    startEvery50ms();

    const QString copy = dst(QStringLiteral("report.txt"));
    QTRY_COMPARE_WITH_TIMEOUT(readFile(copy), content, kWaitMs);

    QVERIFY(QFile::remove(copy));
    QTRY_COMPARE_WITH_TIMEOUT(readFile(copy), content, kWaitMs);

    QVERIFY(writeFile(copy, QByteArray("vandalised")));
    QTRY_COMPARE_WITH_TIMEOUT(readFile(copy), content, kWaitMs);

    // Same size, other bytes: the pass only compares sizes and leaves it.
    QByteArray same(content.size(), 'x');
    QVERIFY(writeFile(copy, same));
    QTest::qWait(200);
    QCOMPARE(readFile(copy), same);

    m_ui->button("cmdStop")->click();
    QVERIFY(QFile::remove(copy));
    QTest::qWait(150);
    QVERIFY(!QFile::exists(copy));
    QVERIFY(QApplication::overrideCursor() == nullptr);
}

void TestFrmMainGuard::missingDestinationFolders_areCreatedForAFolderItem() {
    QVERIFY(writeFile(src(QStringLiteral("album/one.txt")), "1"));
    QVERIFY(writeFile(src(QStringLiteral("album/inner/two.txt")), "22"));
    m_ui->addItem(src(QStringLiteral("album")), dst(QStringLiteral("new/level/")), false);
    startEvery50ms();
    QTRY_COMPARE_WITH_TIMEOUT(readFile(dst(QStringLiteral("new/level/album/inner/two.txt"))), QByteArray("22"),
                              kWaitMs);
    QCOMPARE(readFile(dst(QStringLiteral("new/level/album/one.txt"))), QByteArray("1"));

    // A file deleted inside the copy changes its size: the folder is copied again.
    QVERIFY(QFile::remove(dst(QStringLiteral("new/level/album/one.txt"))));
    QTRY_COMPARE_WITH_TIMEOUT(readFile(dst(QStringLiteral("new/level/album/one.txt"))), QByteArray("1"), kWaitMs);
}

void TestFrmMainGuard::missingSource_cancelStopsTheRun() {
    QVERIFY(writeFile(src(QStringLiteral("later.txt")), "later"));
    m_ui->addItem(src(QStringLiteral("gone")), dst(QString()), false);
    m_ui->addItem(src(QStringLiteral("later.txt")), dst(QString()), true);
    auto box = setNextAnswer(Answer::Cancel);
    startEvery50ms();
    QTRY_VERIFY_WITH_TIMEOUT(box->seen, kWaitMs);
    QVERIFY2(box->text.startsWith(QStringLiteral("The source folder ") + src(QStringLiteral("gone")) +
                                  QStringLiteral(" does not exist.")),
             qPrintable(box->text));
    QCOMPARE(box->title, QStringLiteral("Orvalen"));
    QCOMPARE(box->icon, int(QMessageBox::Warning));
    QCOMPARE(box->buttons.size(), 2);
    QCOMPARE(box->defaultButton, int(QMessageBox::Retry));

    QTRY_COMPARE_WITH_TIMEOUT(m_ui->status(), QStringLiteral("Ready"), kWaitMs);
    QVERIFY(!m_ui->timer()->isActive());
    QVERIFY(m_ui->button("cmdStart")->isEnabled());
    QVERIFY(!m_ui->button("cmdStop")->isEnabled());
    // Cancel ended the pass at the failing row: the later row was not reached.
    QTest::qWait(150);
    QVERIFY(!QFile::exists(dst(QStringLiteral("later.txt"))));
}

void TestFrmMainGuard::missingSource_retryAfterItAppears_copiesAndRunsOn() {
    m_ui->addItem(src(QStringLiteral("late")), dst(QString()), false);
    // The user creates the folder, then answers Retry.
    auto box = setNextAnswer(Answer::Retry, [this] { writeFile(src(QStringLiteral("late/file.txt")), "here now"); });
    startEvery50ms();
    QTRY_COMPARE_WITH_TIMEOUT(readFile(dst(QStringLiteral("late/file.txt"))), QByteArray("here now"), kWaitMs);
    QVERIFY(box->seen);
    QCOMPARE(m_ui->status(), QStringLiteral("Running"));
    QVERIFY(m_ui->timer()->isActive());
}

QTEST_MAIN(TestFrmMainGuard)
#include "test_frmMain_guard.moc"
