// SPDX-License-Identifier: GPL-3.0-or-later
// The guard against real shares: a Samba server on 127.0.0.1 started here,
// mounted through FUSE by smbnetfs, GNOME's GVfs and KDE's kio-fuse, with
// smbclient as the person who deletes; and a folder served by a throwaway
// sshd, mounted with sshfs.
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <sys/stat.h>
#include <utime.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <thread>

#include "GvfsSession.h"
#include "KioFuse.h"
#include "SambaShare.h"
#include "SftpShare.h"
#include "ShareProcesses.h"
#include "core/GuardEngine.h"
#include "core/RunControl.h"
#include "core/mdlMain.h"
#include "platform/LocalFileSystem.h"
#include "support/FakeRunHost.h"
#include "support/MainWindowDriver.h"
#include "support/ModalHelpers.h"
#include "ui/qt/DirListBox.h"
#include "ui/qt/FileListBox.h"
#include "ui/qt/FileSystemText.h"
#include "ui/qt/frmBrowse.h"
#include "ui/qt/frmMain.h"

namespace fs = std::filesystem;
using orvalen::UserPrompt;
using testsupport::SambaShare;
namespace procs = testsupport::shareprocs;

namespace {

constexpr auto kRetry = UserPrompt::Answer::Retry;
constexpr auto kCancel = UserPrompt::Answer::Cancel;
constexpr const char* kSmbUri = "smb://127.0.0.1/share";

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteAll(const std::string& path, const std::string& content) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

bool Exists(const std::string& path) {
    struct stat st{};
    return ::lstat(path.c_str(), &st) == 0;
}

// Hidden entries anywhere below `folder`: what a cut-off copy would leave.
// Checked with QTRY_: the client closes a file after close() returns, and the
// server deletes an open file only when it is closed, so a removed temporary may
// linger a moment. Callers join the list, so that a failure names the entries.
QStringList HiddenEntries(const std::string& folder) {
    QStringList found;
    std::error_code e;
    for (auto it = fs::recursive_directory_iterator(folder, e); it != fs::recursive_directory_iterator(); ++it)
        if (it->path().filename().string().front() == '.') found << QString::fromStdString(it->path().string());
    return found;
}

// The guard as the window runs it: the real engine and run control over the
// real file-system service, the questions answered from a script.
struct Guard : testsupport::GuardRig {
    Guard() {
        shared.MakeFileSystem = orvalen::platform::MakeLocalFileSystemInHelper;
        view.interval = "1";
    }
    void add(const std::string& source, const std::string& destination, bool isFile) {
        shared.Items.append(source, destination, isFile);
        if (!timer.isActive()) run.Start();
    }
    bool running() const { return timer.isActive() && view.status == "Running"; }
    // Passes, as the timer would run them, until `done` holds; the time that took, or -1.
    template <class Done>
    double passUntil(Done&& done, int timeoutMs = 30000) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            pass();
            if (done()) return static_cast<double>(clock.elapsed());
            QTest::qWait(100);
        }
        return -1;
    }
};

// What tells a rewritten file from one left alone, seen on the server's disk.
std::pair<ino_t, std::int64_t> Identity(const std::string& path) {
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) return {0, 0};
    return {st.st_ino, std::int64_t{st.st_ctim.tv_sec} * 1000000000 + st.st_ctim.tv_nsec};
}

// One way a desktop reaches a share: where the share shows, where its files
// lie on the server, how another person deletes there, how it goes and comes.
struct Client {
    std::string whyNot;
    std::string shown;   // the share's folder through the client
    std::string bare;    // what stays when the share is gone, to be left empty
    std::function<std::string(const std::string&)> server;
    std::function<bool(const std::string&)> deleteFile;
    std::function<bool()> eject, mountAgain;
};

Client Unavailable(const std::string& why) {
    Client c;
    c.whyNot = why;
    return c;
}

}  // namespace

class TestShare : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void deletedCopy_isBackAtTheNextPass_andAChangedSizeIsReplaced();
    void folderItem_isWholeAgain_extraFileStays_deletedDestinationIsMadeAgain();
    void serverDown_noMessage_runStaysOn_thenEverythingIsRestored();
    void serverKilledDuringALargeCopy_leavesTheGoodCopyNeverACutOne();
    void readOnlyShare_asksUntilWritable_andCancelStops();
    void fullShare_keepsTheOldCopy_untilThereIsRoom();
    void hostileLinksOnTheServer_nothingOutsideIsWritten();
    void nameTheServerRefuses_isRefusedAccess_andRetryCopiesOnceItIsGone();
    void unmountedShare_nothingUnderTheMountPoint_thenRestored();
    void namesThatAreNotUtf8_chosenInTheBrowseDialog_areCopiedExactly();

    void everyClient_fileAndFolderRestored_nothingElseRewritten_data();
    void everyClient_fileAndFolderRestored_nothingElseRewritten();
    void everyClient_ejectedShare_noQuestion_copiesBackWhenMounted_data();
    void everyClient_ejectedShare_noQuestion_copiesBackWhenMounted();
    void serversStoppedDuringAPass_guardCarriesOnAndRestores();

private:
    Client client(const QString& name);
    void addClientRows();
    std::string local(const std::string& relative) const { return m_local.path().toStdString() + "/" + relative; }
    // The time the mount takes to show that another client deleted `relative`.
    double deleteAsOtherClient(const std::string& relative, bool folder = false);
    bool waitUntilShareAnswers();

    std::unique_ptr<SambaShare> m_share;
    std::string m_clientsRoot;
    std::unique_ptr<testsupport::GvfsSession> m_gvfs;
    std::unique_ptr<testsupport::SftpShare> m_sftp;
    std::unique_ptr<testsupport::KioFuse> m_kio;
    std::string m_kioShare;
    std::map<QString, double> m_restoreDelays;
    QTemporaryDir m_local;
    QElapsedTimer m_suiteClock;
    double m_worstDelay = 0;
};

void TestShare::initTestCase() {
    m_suiteClock.start();
    char pattern[] = "/tmp/orvalen-clients-XXXXXX";
    QVERIFY(::mkdtemp(pattern));
    m_clientsRoot = pattern;
    // Whatever the servers and clients start carries this, so the end finds it.
    procs::setMarker(m_clientsRoot);
    m_share = std::make_unique<SambaShare>();
    if (!m_share->whyNot().empty()) QSKIP(qPrintable("no SMB share here: " + QString::fromStdString(m_share->whyNot())));
    QVERIFY(m_local.isValid());
    qInfo("Share up and mounted in %lld ms", m_suiteClock.elapsed());

    fs::create_directories(m_clientsRoot + "/gvfs");
    m_gvfs = std::make_unique<testsupport::GvfsSession>(m_clientsRoot + "/gvfs");
    if (m_gvfs->whyNot().empty() && !m_gvfs->mount(kSmbUri, m_gvfs->smbShare("127.0.0.1", "share")))
        qInfo("GVfs could not mount %s", kSmbUri);
    fs::create_directories(m_clientsRoot + "/sftp");
    m_sftp = std::make_unique<testsupport::SftpShare>(m_clientsRoot + "/sftp");
    if (m_gvfs->whyNot().empty()) {
        m_kio = std::make_unique<testsupport::KioFuse>(m_clientsRoot + "/gvfs", m_gvfs->env());
        m_kioShare = m_kio->start(kSmbUri);
    }
    qInfo("All share clients up after %lld ms", m_suiteClock.elapsed());
}

void TestShare::init() {
    // Every case starts with an empty share and a writable, running server.
    if (!m_share->whyNot().empty()) return;
    m_share->setReadOnly(false);
    std::error_code e;
    for (const auto& entry : fs::directory_iterator(m_share->server(""), e)) fs::remove_all(entry.path(), e);
    if (m_sftp && m_sftp->whyNot().empty())
        for (const auto& entry : fs::directory_iterator(m_sftp->server(""), e)) fs::remove_all(entry.path(), e);
    for (const auto& entry : fs::directory_iterator(m_local.path().toStdString(), e)) fs::remove_all(entry.path(), e);
    QVERIFY(waitUntilShareAnswers());
}

void TestShare::cleanupTestCase() {
    testsupport::closeLeftoverModals();
    m_kio.reset();
    m_gvfs.reset();
    m_sftp.reset();
    m_share.reset();
    procs::endMarked();
    std::error_code gone;
    fs::remove_all(m_clientsRoot, gone);
    for (const auto& [name, delay] : m_restoreDelays)
        qInfo("%s: copies back %.0f ms after another client deleted them", qPrintable(name), delay);
    // QTemporaryDir cannot remove names that are not UTF-8; these tests made some.
    std::error_code e;
    for (const auto& entry : fs::directory_iterator(m_local.path().toStdString(), e)) fs::remove_all(entry.path(), e);
    qInfo("Longest delay before the mount showed a deletion: %.0f ms; suite took %.1f s", m_worstDelay,
          m_suiteClock.elapsed() / 1000.0);
}

double TestShare::deleteAsOtherClient(const std::string& relative, bool folder) {
    std::string command = folder ? "deltree \"" + relative + "\"" : "del \"" + relative + "\"";
    if (!m_share->otherClient(command)) return -1;
    QElapsedTimer clock;
    clock.start();
    while (Exists(m_share->client(relative)) && clock.elapsed() < 10000) QTest::qWait(10);
    const double delay = static_cast<double>(clock.elapsed());
    m_worstDelay = std::max(m_worstDelay, delay);
    return Exists(m_share->client(relative)) ? -1 : delay;
}

bool TestShare::waitUntilShareAnswers() {
    // After a restart the mount answers EIO for a few seconds.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 20000) {
        if (fs::is_directory(m_share->mounted()) && ::access((m_share->mounted() + "/.").c_str(), W_OK) == 0) {
            std::error_code e;
            fs::directory_iterator probe(m_share->mounted(), e);
            if (!e) return true;
        }
        QTest::qWait(100);
    }
    return false;
}

void TestShare::deletedCopy_isBackAtTheNextPass_andAChangedSizeIsReplaced() {
    WriteAll(local("report.doc"), "the report");
    Guard guard;
    guard.add(local("report.doc"), m_share->client(""), true);
    guard.pass();
    QCOMPARE(ReadAll(m_share->server("report.doc")), std::string("the report"));

    const double delay = deleteAsOtherClient("report.doc");
    QVERIFY2(delay >= 0, "the other client's deletion never showed through the mount");
    qInfo("The mount showed the deletion after %.0f ms", delay);
    guard.pass();  // the next tick after the mount shows it
    QCOMPARE(ReadAll(m_share->server("report.doc")), std::string("the report"));

    WriteAll(local("other.doc"), "a longer text than the report");
    QVERIFY(m_share->otherClient("put \"" + local("other.doc") + "\" report.doc"));
    guard.pass();
    QCOMPARE(ReadAll(m_share->server("report.doc")), std::string("the report"));
    QVERIFY(guard.prompt.questions.empty());
    QVERIFY(HiddenEntries(m_share->server("")).isEmpty());
}

void TestShare::folderItem_isWholeAgain_extraFileStays_deletedDestinationIsMadeAgain() {
    WriteAll(local("Photos/a.jpg"), "aaaa");
    WriteAll(local("Photos/2026/b.jpg"), "bbbbbb");
    Guard guard;
    guard.add(local("Photos"), m_share->client("team/"), false);
    QVERIFY(m_share->otherClient("mkdir team"));
    guard.pass();
    QCOMPARE(ReadAll(m_share->server("team/Photos/2026/b.jpg")), std::string("bbbbbb"));

    QVERIFY(deleteAsOtherClient("team/Photos/2026/b.jpg") >= 0);
    WriteAll(m_share->server("team/Photos/extra.txt"), "their own file");
    guard.pass();
    QCOMPARE(ReadAll(m_share->server("team/Photos/2026/b.jpg")), std::string("bbbbbb"));
    QCOMPARE(ReadAll(m_share->server("team/Photos/extra.txt")), std::string("their own file"));

    QVERIFY(deleteAsOtherClient("team", true) >= 0);
    guard.pass();
    QCOMPARE(ReadAll(m_share->server("team/Photos/a.jpg")), std::string("aaaa"));
    QCOMPARE(ReadAll(m_share->server("team/Photos/2026/b.jpg")), std::string("bbbbbb"));
    QVERIFY(guard.prompt.questions.empty());
}

void TestShare::serverDown_noMessage_runStaysOn_thenEverythingIsRestored() {
    WriteAll(local("a.txt"), "first");
    WriteAll(local("Docs/b.txt"), "second");
    Guard guard;
    guard.add(local("a.txt"), m_share->client(""), true);
    guard.add(local("Docs"), m_share->client("deep/er/"), false);
    guard.pass();
    QVERIFY(Exists(m_share->server("deep/er/Docs/b.txt")));

    m_share->killServer();
    fs::remove_all(m_share->server("deep"));
    fs::remove(m_share->server("a.txt"));
    guard.pass();
    guard.pass();
    QVERIFY(guard.prompt.questions.empty());
    QVERIFY(guard.running());
    QVERIFY(!Exists(m_share->server("a.txt")));

    QVERIFY(m_share->startServer());
    QVERIFY(waitUntilShareAnswers());
    guard.pass();
    QCOMPARE(ReadAll(m_share->server("a.txt")), std::string("first"));
    QCOMPARE(ReadAll(m_share->server("deep/er/Docs/b.txt")), std::string("second"));
    QVERIFY(guard.prompt.questions.empty());
    QTRY_COMPARE_WITH_TIMEOUT(HiddenEntries(m_share->server("")).join(", "), QString(), 3000);
}

void TestShare::serverKilledDuringALargeCopy_leavesTheGoodCopyNeverACutOne() {
    const std::string good = "the good copy, a small older version";
    WriteAll(local("big.bin"), good);
    Guard guard;
    guard.add(local("big.bin"), m_share->client(""), true);
    guard.pass();
    QCOMPARE(ReadAll(m_share->server("big.bin")), good);

    WriteAll(local("big.bin"), std::string(12 << 20, 'x'));
    // Kill the server once the new version is partly written on the share.
    std::atomic<bool> killedMidway{false};
    std::thread killer([&] {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < until) {
            for (const QString& hidden : HiddenEntries(m_share->server(""))) {
                std::error_code e;
                const auto size = fs::file_size(hidden.toStdString(), e);
                if (!e && size > 0 && size < (12u << 20)) {
                    m_share->killServer();
                    killedMidway = true;
                    return;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    guard.pass();
    killer.join();
    QVERIFY2(killedMidway, "the copy finished before the server could be killed");
    QVERIFY(guard.prompt.questions.empty());
    QVERIFY(guard.running());
    QCOMPARE(ReadAll(m_share->server("big.bin")), good);

    QVERIFY(m_share->startServer());
    QVERIFY(waitUntilShareAnswers());
    guard.pass();
    QCOMPARE(fs::file_size(m_share->server("big.bin")), std::uintmax_t{12u << 20});
    QTRY_COMPARE_WITH_TIMEOUT(HiddenEntries(m_share->server("")).join(", "), QString(), 3000);
}

void TestShare::readOnlyShare_asksUntilWritable_andCancelStops() {
    WriteAll(local("report.doc"), "the report");
    Guard guard;
    guard.add(local("report.doc"), m_share->client(""), true);
    QVERIFY(m_share->setReadOnly(true));
    guard.prompt.answers = {kRetry, kRetry};
    int asked = 0;
    guard.prompt.whileAsking = [&] {
        if (++asked == 2) m_share->setReadOnly(false);  // Retry once more while still read-only
    };
    guard.pass();
    const std::string expected = "The destination file " + m_share->client("report.doc") +
                                 " is in use, or you do not have access to the destination path.";
    QCOMPARE(guard.prompt.questions, (std::vector<std::string>{expected, expected}));
    QCOMPARE(ReadAll(m_share->server("report.doc")), std::string("the report"));

    QVERIFY(m_share->setReadOnly(true));
    WriteAll(local("report.doc"), "a new version of the report");
    guard.prompt.whileAsking = nullptr;
    guard.prompt.answers = {kCancel};
    guard.pass();
    QCOMPARE(guard.prompt.questions.size(), std::size_t{3});
    QVERIFY(!guard.timer.isActive());
    QCOMPARE(guard.view.status, std::string("Ready"));
    QCOMPARE(ReadAll(m_share->server("report.doc")), std::string("the report"));
}

void TestShare::fullShare_keepsTheOldCopy_untilThereIsRoom() {
    WriteAll(local("data.bin"), std::string(1 << 20, 'o'));
    Guard guard;
    guard.add(local("data.bin"), m_share->client(""), true);
    guard.pass();
    WriteAll(local("data.bin"), std::string(6 << 20, 'n'));
    WriteAll(m_share->server("filler"), std::string(12 << 20, 'f'));  // 16 MiB share: 3 MiB left
    guard.pass();
    QVERIFY(guard.prompt.questions.empty());
    QVERIFY(guard.running());
    QCOMPARE(ReadAll(m_share->server("data.bin")), std::string(1 << 20, 'o'));
    QTRY_COMPARE_WITH_TIMEOUT(HiddenEntries(m_share->server("")).join(", "), QString(), 3000);

    fs::remove(m_share->server("filler"));
    guard.pass();
    QCOMPARE(ReadAll(m_share->server("data.bin")), std::string(6 << 20, 'n'));
}

void TestShare::hostileLinksOnTheServer_nothingOutsideIsWritten() {
    WriteAll(local("report.doc"), "the report, longer than the secrets");
    WriteAll(local("Photos/a.jpg"), "aaaa");
    const std::string secret = m_share->outside("secret.txt");
    const std::string secretFolder = m_share->outside("secrets");
    WriteAll(secret, "secret");
    WriteAll(secretFolder + "/keep.txt", "keep");
    WriteAll(m_share->outside("planted.txt"), "planted");
    for (const std::string& target : {secret, secretFolder + "/keep.txt", m_share->outside("planted.txt")}) {
        const utimbuf old{1000000000, 1000000000};
        ::utime(target.c_str(), &old);
    }

    Guard guard;
    guard.add(local("report.doc"), m_share->client(""), true);
    guard.add(local("Photos"), m_share->client(""), false);
    guard.pass();
    // The person on the server side swaps the copies for links leading out of the share.
    fs::remove(m_share->server("report.doc"));
    fs::create_symlink(secret, m_share->server("report.doc"));
    fs::remove_all(m_share->server("Photos"));
    fs::create_symlink(secretFolder, m_share->server("Photos"));
    for (int i = 0; i < 2; ++i) guard.pass();
    // The server does not let a client reach, replace or remove a link that
    // leads out of its share, so the copy cannot come back while it stands;
    // what matters is that nothing was written through it.
    // A link planted at the name the next copy is written under.
    fs::remove(m_share->server("report.doc"));
    WriteAll(m_share->server("report.doc"), "short");
    fs::create_symlink(m_share->outside("planted.txt"),
                       m_share->server(orvalen::platform::LocalFileSystem::TemporaryNameFor("report.doc")));
    for (int i = 0; i < 2; ++i) guard.pass();

    QCOMPARE(ReadAll(secret), std::string("secret"));
    QCOMPARE(ReadAll(m_share->outside("planted.txt")), std::string("planted"));
    QCOMPARE(fs::directory_iterator(secretFolder)->path().filename().string(), std::string("keep.txt"));
    QCOMPARE(std::distance(fs::directory_iterator(secretFolder), fs::directory_iterator()), 1);
    QCOMPARE(ReadAll(secretFolder + "/keep.txt"), std::string("keep"));
    for (const std::string& target : {secret, secretFolder + "/keep.txt", m_share->outside("planted.txt")}) {
        struct stat st{};
        QCOMPARE(::stat(target.c_str(), &st), 0);
        QCOMPARE(static_cast<long long>(st.st_mtime), 1000000000LL);
    }
}

void TestShare::nameTheServerRefuses_isRefusedAccess_andRetryCopiesOnceItIsGone() {
    WriteAll(local("report.doc"), "the report");
    WriteAll(local("Photos/a.jpg"), "a");
    WriteAll(m_share->outside("elsewhere/x"), "x");
    // Links the server will not follow, standing at the copies' names.
    for (const char* name : {"report.doc", "Photos"})
        fs::create_symlink(m_share->outside("elsewhere"), m_share->server(name));
    Guard guard;
    guard.add(local("report.doc"), m_share->client(""), true);
    guard.add(local("Photos"), m_share->client(""), false);
    guard.prompt.answers = {kRetry, kRetry};
    guard.prompt.whileAsking = [&] {
        for (const char* name : {"report.doc", "Photos"}) fs::remove(m_share->server(name));
    };
    guard.pass();
    // Both links went while the first question was up.
    QCOMPARE(guard.prompt.questions,
             std::vector<std::string>{"The destination file " + m_share->client("report.doc") +
                                      " is in use, or you do not have access to the destination path."});
    QCOMPARE(ReadAll(m_share->server("report.doc")), std::string("the report"));
    QCOMPARE(ReadAll(m_share->server("Photos/a.jpg")), std::string("a"));
    QVERIFY(guard.running());
}

void TestShare::unmountedShare_nothingUnderTheMountPoint_thenRestored() {
    WriteAll(local("report.doc"), "the report");
    WriteAll(local("Docs/a.txt"), "a");
    Guard guard;
    guard.add(local("report.doc"), m_share->client("team/"), true);
    guard.add(local("Docs"), m_share->client("team/"), false);
    guard.pass();
    QVERIFY(Exists(m_share->server("team/report.doc")));

    QVERIFY(m_share->unmount());
    fs::remove_all(m_share->server("team"));
    for (int i = 0; i < 2; ++i) guard.pass();
    QVERIFY(guard.prompt.questions.empty());
    QVERIFY(guard.running());
    QVERIFY2(fs::is_empty(m_share->mountPoint()), "the pass wrote under the bare mount point");

    QVERIFY(m_share->mount());
    QVERIFY(waitUntilShareAnswers());
    guard.pass();
    QCOMPARE(ReadAll(m_share->server("team/report.doc")), std::string("the report"));
    QCOMPARE(ReadAll(m_share->server("team/Docs/a.txt")), std::string("a"));
}

void TestShare::namesThatAreNotUtf8_chosenInTheBrowseDialog_areCopiedExactly() {
    using orvalen::ui::NameFromFileSystem;
    const std::string fileName = "caf\xe9.txt";
    const std::string folderName = "Gr\xfc\xdf" "e";
    WriteAll(local(fileName), "latin-1 name");
    WriteAll(local(folderName + "/inner \xa7.txt"), "inside");
    // Another client makes the destination; this mount shows its name in Latin-1.
    QVERIFY(m_share->otherClient("mkdir \"Ziel\xc3\xa9\""));
    const std::string destination = m_share->client("Ziel\xe9");
    QVERIFY(fs::is_directory(destination));

    orvalen::mdlMain shared;
    shared.MakeFileSystem = orvalen::platform::MakeLocalFileSystemInHelper;
    orvalen::ui::frmMain window(shared);
    window.setExitAction([] {});
    testsupport::MainWindowDriver ui(window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // What a person does: open folders and highlight a file by what the lists show.
    const auto browse = [&](const char* button, const std::string& folder, const QString& openShown,
                            const QString& fileShown) {
        auto seen = testsupport::answerNextModal<orvalen::ui::frmBrowse>([&](orvalen::ui::frmBrowse* d) {
            d->Dir1()->setPath(NameFromFileSystem(folder));
            if (!openShown.isEmpty()) {
                const auto found = d->Dir1()->findItems(openShown, Qt::MatchExactly | Qt::MatchRecursive);
                if (!found.isEmpty()) emit d->Dir1()->itemDoubleClicked(found.first(), 0);
            }
            if (!fileShown.isEmpty()) {
                const auto found = d->File1()->findItems(fileShown, Qt::MatchExactly);
                if (!found.isEmpty()) d->File1()->setCurrentItem(found.first());
            }
            d->cmdSelect()->click();
        });
        ui.button(button)->click();
        return seen->seen;
    };
    ui.button("cmdAddFile")->click();
    QVERIFY(browse("cmdBrowseSource", local(""), {}, QStringLiteral("caf\\xE9.txt")));
    QVERIFY(browse("cmdBrowseDestination", m_share->mounted(), QStringLiteral("Ziel\\xE9"), {}));
    ui.button("cmdOK")->click();
    ui.button("cmdAddFolder")->click();
    QVERIFY(browse("cmdBrowseSource", local(""), QStringLiteral("Gr\\xFC\\xDF") + "e", {}));
    QVERIFY(browse("cmdBrowseDestination", m_share->mounted(), QStringLiteral("Ziel\\xE9"), {}));
    ui.button("cmdOK")->click();

    QCOMPARE(shared.Items.count(), 2);
    QCOMPARE(shared.Items.source(0), local(fileName));
    QCOMPARE(shared.Items.destination(0), destination + "/");
    QCOMPARE(shared.Items.source(1), local(folderName));
    QCOMPARE(ui.rows("lstSource").first(), QString::fromStdString(local("")) + "caf\\xE9.txt");

    ui.button("cmdStart")->click();
    window.tmrTimer_Timer();
    QTRY_VERIFY(!window.passRunner().passRunning());
    QCOMPARE(ReadAll(destination + "/" + fileName), std::string("latin-1 name"));
    QCOMPARE(ReadAll(destination + "/" + folderName + "/inner \xa7.txt"), std::string("inside"));
    // On the server the names are the same characters, stored as UTF-8.
    QCOMPARE(ReadAll(m_share->server("Ziel\xc3\xa9/caf\xc3\xa9.txt")), std::string("latin-1 name"));
    // ... and no sibling with a wrongly decoded name was made beside the destination.
    QCOMPARE(fs::directory_iterator(m_share->server(""))->path().filename().string(), std::string("Ziel\xc3\xa9"));
    QCOMPARE(std::distance(fs::directory_iterator(m_share->server("")), fs::directory_iterator()), 1);
    QCOMPARE(ui.status(), QStringLiteral("Running"));
}

Client TestShare::client(const QString& name) {
    Client c;
    const auto smbServer = [this](const std::string& r) { return m_share->server(r); };
    const auto smbDelete = [this](const std::string& r) { return m_share->otherClient("del \"" + r + "\""); };
    if (name == "smbnetfs") {
        c = {"", m_share->mounted(), m_share->mountPoint(), smbServer, smbDelete,
             [this] { return m_share->unmount(); }, [this] { return m_share->mount(); }};
    } else if (name == "gvfs") {
        if (!m_gvfs->whyNot().empty()) return Unavailable(m_gvfs->whyNot());
        const std::string shown = m_gvfs->smbShare("127.0.0.1", "share");
        c = {"", shown, m_gvfs->fuseRoot(), smbServer, smbDelete,
             [this, shown] { return m_gvfs->unmount(kSmbUri, shown); },
             [this, shown] { return m_gvfs->mount(kSmbUri, shown); }};
    } else if (name == "kio-fuse") {
        if (!m_kio) return Unavailable(m_gvfs->whyNot());
        if (!m_kio->whyNot().empty() || m_kioShare.empty())
            return Unavailable(m_kio->whyNot().empty() ? "kio-fuse did not mount the share" : m_kio->whyNot());
        // kio-fuse ejects no single share: it goes as the whole session ends.
        c = {"", m_kioShare, m_clientsRoot + "/gvfs/kio", smbServer, smbDelete,
             [this] { m_kio->stop(); return true; },
             [this] { return m_kio->start(kSmbUri) == m_kioShare; }};
    } else {
        if (!m_sftp->whyNot().empty()) return Unavailable(m_sftp->whyNot());
        c = {"", m_sftp->mounted(), m_sftp->mounted(), [this](const std::string& r) { return m_sftp->server(r); },
             [this](const std::string& r) { return fs::remove(m_sftp->server(r)); },
             [this] { return m_sftp->unmount(); }, [this] { return m_sftp->mount(); }};
    }
    return c;
}

void TestShare::addClientRows() {
    QTest::addColumn<QString>("name");
    for (const char* name : {"smbnetfs", "gvfs", "sshfs", "kio-fuse"}) QTest::newRow(name) << QString(name);
}

void TestShare::everyClient_fileAndFolderRestored_nothingElseRewritten_data() { addClientRows(); }

void TestShare::everyClient_fileAndFolderRestored_nothingElseRewritten() {
    QFETCH(QString, name);
    const Client c = client(name);
    if (!c.whyNot.empty()) QSKIP(c.whyNot.c_str());
    WriteAll(local("memo.txt"), "the memo");
    WriteAll(local("Album/a.jpg"), "aaaa");
    WriteAll(local("Album/sub/b.jpg"), "bbbbbb");
    WriteAll(local("Album/sub/c.jpg"), "cc");
    ::chmod(local("Album/sub").c_str(), 0750);  // a mode GVfs cannot give
    Guard guard;
    guard.add(local("memo.txt"), c.shown + "/team/", true);
    guard.add(local("Album"), c.shown + "/team/", false);
    const auto whole = [&] {
        return ReadAll(c.server("team/memo.txt")) == "the memo" && ReadAll(c.server("team/Album/a.jpg")) == "aaaa" &&
               ReadAll(c.server("team/Album/sub/b.jpg")) == "bbbbbb" && ReadAll(c.server("team/Album/sub/c.jpg")) == "cc";
    };
    QVERIFY2(guard.passUntil(whole) >= 0, "the first copies never appeared whole");
    const auto a = Identity(c.server("team/Album/a.jpg"));
    const auto cc = Identity(c.server("team/Album/sub/c.jpg"));

    QVERIFY(c.deleteFile("team/memo.txt"));
    QVERIFY(c.deleteFile("team/Album/sub/b.jpg"));
    const double delay = guard.passUntil(whole);
    QVERIFY2(delay >= 0, "the deleted copies did not come back");
    m_restoreDelays[name] = delay;
    // Only what was deleted is written again; the rest differs from nothing.
    QCOMPARE(Identity(c.server("team/Album/a.jpg")), a);
    QCOMPARE(Identity(c.server("team/Album/sub/c.jpg")), cc);
    for (int i = 0; i < 2; ++i) guard.pass();
    QCOMPARE(Identity(c.server("team/Album/sub/c.jpg")), cc);
    QVERIFY(guard.prompt.questions.empty());
    QVERIFY(guard.running());
    QTRY_COMPARE_WITH_TIMEOUT(HiddenEntries(c.server("")).join(", "), QString(), 3000);
}

void TestShare::everyClient_ejectedShare_noQuestion_copiesBackWhenMounted_data() { addClientRows(); }

void TestShare::everyClient_ejectedShare_noQuestion_copiesBackWhenMounted() {
    QFETCH(QString, name);
    const Client c = client(name);
    if (!c.whyNot.empty()) QSKIP(c.whyNot.c_str());
    WriteAll(local("memo.txt"), "the memo");
    WriteAll(local("Docs/a.txt"), "a");
    Guard guard;
    guard.add(local("memo.txt"), c.shown + "/", true);
    guard.add(local("Docs"), c.shown + "/", false);
    const auto whole = [&] {
        return ReadAll(c.server("memo.txt")) == "the memo" && ReadAll(c.server("Docs/a.txt")) == "a";
    };
    QVERIFY(guard.passUntil(whole) >= 0);

    QVERIFY(c.eject());
    fs::remove(c.server("memo.txt"));
    fs::remove_all(c.server("Docs"));
    for (int i = 0; i < 3; ++i) guard.pass();
    QCOMPARE(guard.prompt.questions, std::vector<std::string>{});
    QVERIFY(guard.running());
    QVERIFY2(fs::is_empty(c.bare), "the pass wrote where the share had gone");
    QVERIFY(!Exists(c.server("memo.txt")));

    QVERIFY(c.mountAgain());
    QVERIFY2(guard.passUntil(whole) >= 0, "the copies did not come back once the share was mounted again");
    QVERIFY(guard.prompt.questions.empty());
}

void TestShare::serversStoppedDuringAPass_guardCarriesOnAndRestores() {
    // Every client at once: each server is stopped once for the whole suite.
    std::vector<std::pair<QString, Client>> clients;
    for (const char* name : {"smbnetfs", "gvfs", "sshfs", "kio-fuse"})
        if (Client c = client(name); c.whyNot.empty()) clients.emplace_back(name, c);
    WriteAll(local("memo.txt"), "the memo");
    WriteAll(local("Docs/a.txt"), "a");
    Guard guard;
    for (const auto& [name, c] : clients) {
        guard.add(local("memo.txt"), c.shown + "/" + name.toStdString() + "/", true);
        guard.add(local("Docs"), c.shown + "/" + name.toStdString() + "/", false);
    }
    const auto restored = [&](const Client& c, const QString& name) {
        const std::string at = name.toStdString() + "/";
        return ReadAll(c.server(at + "memo.txt")) == "the memo" && ReadAll(c.server(at + "Docs/a.txt")) == "a";
    };
    const auto all = [&] {
        for (const auto& [name, c] : clients)
            if (!restored(c, name)) return false;
        return true;
    };
    QVERIFY(guard.passUntil(all, 60000) >= 0);
    for (const auto& [name, c] : clients) {
        QVERIFY(c.deleteFile(name.toStdString() + "/memo.txt"));
        QVERIFY(c.deleteFile(name.toStdString() + "/Docs/a.txt"));
    }

    m_share->pauseServer(true);
    if (m_sftp->whyNot().empty()) m_sftp->pauseServer(true);
    std::thread resume([this] {
        std::this_thread::sleep_for(std::chrono::seconds(30));
        m_share->pauseServer(false);
        if (m_sftp->whyNot().empty()) m_sftp->pauseServer(false);
    });
    QElapsedTimer clock;
    clock.start();
    guard.pass();  // runs into the stopped servers
    resume.join();
    qInfo("The pass against the stopped servers took %.1f s", clock.elapsed() / 1000.0);
    QElapsedTimer afterContinue;
    afterContinue.start();
    for (const auto& [name, c] : clients) {
        const double delay = guard.passUntil([&] { return restored(c, name); }, 90000);
        QVERIFY2(delay >= 0, qPrintable(name + " did not restore after the server went on"));
        qInfo("%s: restored %lld ms after the servers went on", qPrintable(name), afterContinue.elapsed());
    }
    QCOMPARE(guard.prompt.questions, std::vector<std::string>{});
    QVERIFY(guard.running());
}

QTEST_MAIN(TestShare)
#include "test_share.moc"
