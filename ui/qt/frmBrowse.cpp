// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt/frmBrowse.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStylePainter>

#include <exception>
#include <filesystem>

#include "core/AppTitle.h"
#include "core/PathText.h"
#include "core/RuntimeError.h"
#include "core/mdlMain.h"
#include "ui/qt/DirListBox.h"
#include "ui/qt/FileListBox.h"
#include "ui/qt/FileSystemText.h"
#include "ui/qt/PathCaptions.h"
#include "ui/qt/TitleBarButtons.h"
#include "ui/qt/Twips.h"

namespace orvalen::ui {

namespace {
const QString kTitleText = QString::fromLatin1(kTitle);
constexpr int kMountPointRole = Qt::UserRole;

// The drive list keeps its fixed width, and a share's mount point is long
// (a desktop's shares sit deep below /run/user): the closed box keeps both
// ends of the text, so the "[name]" at its end stays in sight.
class DriveComboBox : public QComboBox {
public:
    using QComboBox::QComboBox;

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionComboBox option;
        initStyleOption(&option);
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                    QStyle::SC_ComboBoxEditField, this);
        option.currentText = fontMetrics().elidedText(option.currentText, Qt::ElideMiddle, field.width());
        painter.drawControl(QStyle::CE_ComboBoxLabel, option);
    }
};
}  // namespace

frmBrowse::frmBrowse(mdlMain& shared, PathCaptions& captions,
                     std::unique_ptr<platform::VolumeSource> volumes)
    : QDialog(nullptr, CloseBoxOnlyFlags(Qt::Dialog)),
      m_shared(shared),
      m_captions(captions),
      m_volumes(std::move(volumes)) {
    setObjectName(QStringLiteral("frmBrowse"));
    KeepCloseBoxOnly(*this);
    setWindowTitle(QStringLiteral("Select File/Folder"));
    createControls();
    applyGeometry();

    loadVolumes();
    // The first showing starts where the process stands; the program sets no
    // start folder of its own.
    std::error_code unused;
    m_Dir1->setPath(NameFromFileSystem(std::filesystem::current_path(unused).string()));
}

frmBrowse::~frmBrowse() = default;

void frmBrowse::createControls() {
    m_Label1 = new QLabel(QStringLiteral("Select drive:"), this);
    m_Label1->setObjectName(QStringLiteral("Label1"));
    m_Drive1 = new DriveComboBox(this);
    m_Drive1->setObjectName(QStringLiteral("Drive1"));

    m_cmdSelect = new QPushButton(QStringLiteral("Select"), this);
    m_cmdSelect->setObjectName(QStringLiteral("cmdSelect"));
    m_cmdSelect->setToolTip(QStringLiteral("Select file/folder"));
    m_cmdSelect->setDefault(true);
    m_cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cmdCancel->setToolTip(QStringLiteral("Close this window without selecting any files/folders"));

    m_Label2 = new QLabel(QStringLiteral("Select folder:"), this);
    m_Label2->setObjectName(QStringLiteral("Label2"));
    m_Dir1 = new DirListBox(*m_volumes, this);
    m_Dir1->setObjectName(QStringLiteral("Dir1"));

    m_Label3 = new QLabel(QStringLiteral("Select file:"), this);
    m_Label3->setObjectName(QStringLiteral("Label3"));
    m_File1 = new FileListBox(*m_volumes, this);
    m_File1->setObjectName(QStringLiteral("File1"));
    m_File1->setEnabled(false);

    setTabOrder(m_cmdSelect, m_cmdCancel);
    setTabOrder(m_cmdCancel, m_Drive1);
    setTabOrder(m_Drive1, m_Dir1);
    setTabOrder(m_Dir1, m_File1);
    m_cmdSelect->setFocus();

    connect(m_Drive1, &QComboBox::currentIndexChanged, this, [this] { Drive1_Change(); });
    connect(m_Dir1, &DirListBox::pathChanged, this, [this] { Dir1_Change(); });
    connect(m_cmdSelect, &QPushButton::clicked, this, [this] { cmdSelect_Click(); });
    connect(m_cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

void frmBrowse::applyGeometry() {
    TwipsScale s = TwipsScale::forWidget(*this);

    // Grow the one scale until every caption fits its box of the design.
    s.fitText(m_Label1->fontMetrics(), m_Label1->text(), 885, 195);
    s.fitText(m_Label2->fontMetrics(), m_Label2->text(), 930, 195);
    s.fitText(m_Label3->fontMetrics(), m_Label3->text(), 735, 195);
    const int margin = style()->pixelMetric(QStyle::PM_ButtonMargin) +
                       2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    for (QPushButton* button : {m_cmdSelect, m_cmdCancel}) {
        const QFontMetrics fm = button->fontMetrics();
        s.fitSize(QSize(fm.horizontalAdvance(button->text()) + margin, fm.height() + margin), 900, 500);
    }
    s.fitSize(QSize(0, m_Drive1->sizeHint().height()), 1575, 315);
    // The folder list shows at least a few levels at once.
    s.fitSize(QSize(0, 6 * m_Dir1->fontMetrics().lineSpacing() + 8), 1695, 1890);

    s.placeSized(m_Label1, 120, 120);
    s.place(m_Drive1, 120, 360, 1575, 315);
    s.place(m_cmdSelect, 1920, 240, 900, 500);
    s.place(m_cmdCancel, 2880, 240, 900, 500);
    s.placeSized(m_Label2, 120, 840);
    s.place(m_Dir1, 120, 1080, 1695, 1890);
    s.placeSized(m_Label3, 1920, 840);
    s.place(m_File1, 1920, 1080, 1815, 1845);
    setFixedSize(s.size(3915, 3015));
}

void frmBrowse::loadVolumes() {
    const QString shown = m_Drive1->currentData(kMountPointRole).toString();
    std::vector<platform::Volume> volumes;
    try {
        volumes = m_volumes->volumes();
    } catch (const std::exception&) {
        // Without a volume list the root is still there to browse from.
    }
    if (volumes.empty()) volumes.push_back(platform::Volume{std::string(1, path::kSeparator), ""});

    const QSignalBlocker quiet(m_Drive1);
    m_Drive1->clear();
    for (const platform::Volume& v : volumes)
        m_Drive1->addItem(ShownText(v.displayText()), NameFromFileSystem(v.mountPoint));
    // The list drops down wide enough for the longest entry, even where the
    // closed box cannot show it whole.
    m_Drive1->view()->setMinimumWidth(m_Drive1->view()->sizeHintForColumn(0) +
                                      style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    const int keep = m_Drive1->findData(shown, kMountPointRole);
    if (keep >= 0) m_Drive1->setCurrentIndex(keep);
    else showVolume(volumeOf(m_Dir1->path()));
}

QString frmBrowse::volumeOf(const QString& folder) const {
    QString best;
    for (int i = 0; i < m_Drive1->count(); ++i) {
        const QString mountPoint = m_Drive1->itemData(i, kMountPointRole).toString();
        const bool contains = folder == mountPoint ||
                              (folder.startsWith(mountPoint) &&
                               (EndsWithSeparator(mountPoint) ||
                                folder.at(mountPoint.size()) == QChar::fromLatin1(path::kSeparator)));
        if (contains && mountPoint.size() > best.size()) best = mountPoint;
    }
    return best;
}

void frmBrowse::showVolume(const QString& mountPoint) {
    const int index = m_Drive1->findData(mountPoint, kMountPointRole);
    if (index < 0) return;
    const QSignalBlocker quiet(m_Drive1);
    m_Drive1->setCurrentIndex(index);
    m_Drive1->setToolTip(m_Drive1->currentText());
}

void frmBrowse::showEvent(QShowEvent* event) {
    if (m_shownBefore) {
        // Media and shares come and go, and files change, while the dialog is
        // hidden; what it showed last is kept where it still exists.
        loadVolumes();
        m_Dir1->refresh();
        m_File1->refresh();
    }
    m_shownBefore = true;
    Form_Activate();
    QDialog::showEvent(event);
}

void frmBrowse::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) Form_Activate();
    QDialog::changeEvent(event);
}

void frmBrowse::Form_Activate() {
    // Only a source file is picked from the file list; for a folder source or
    // a destination it stays visible but cannot be used.
    m_File1->setEnabled(m_shared.AddingFile && !m_shared.BrowsingDestination);
}

void frmBrowse::Drive1_Change() {
    // A change made while the not-ready message is up is picked up by Retry,
    // which reads Drive1 afresh.
    if (m_inDriveChange) return;
    const QScopedValueRollback<bool> busy(m_inDriveChange, true);
    m_Drive1->setToolTip(m_Drive1->currentText());
    for (;;) {
        const QString mountPoint = m_Drive1->currentData(kMountPointRole).toString();
        try {
            m_volumes->openVolume(NameToFileSystem(mountPoint));
        } catch (const RuntimeError& e) {
            if (e.number() == err::kDeviceUnavailable && askDriveNotReady()) continue;
            return;  // Cancel, or any other failure: both lists stay where they were
        } catch (const std::exception&) {
            return;
        }
        openOnVolume(mountPoint);
        return;
    }
}

void frmBrowse::openOnVolume(const QString& mountPoint) {
    // Like a drive's current folder: coming back to a volume reopens the
    // folder last used on it in this run; the first visit opens its root.
    const auto last = m_lastFolder.find(mountPoint);
    if (last != m_lastFolder.end() && last->second != mountPoint) {
        if (m_Dir1->setPath(last->second) != err::kPathNotFound) return;
        // That folder has gone meanwhile: fall back to the root.
    }
    m_Dir1->setPath(mountPoint);
}

bool frmBrowse::askDriveNotReady() {
    QMessageBox box(QMessageBox::Warning, kTitleText, QStringLiteral("The drive you selected is not ready."),
                    QMessageBox::Retry | QMessageBox::Cancel, this);
    KeepCloseBoxOnly(box);
    box.setDefaultButton(QMessageBox::Retry);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Retry;
}

void frmBrowse::Dir1_Change() {
    const QString folder = m_Dir1->path();
    m_File1->setPath(folder);
    const QString volume = volumeOf(folder);
    m_lastFolder[volume] = folder;
    // Drive1 follows a folder opened on another volume through the folder list.
    showVolume(volume);
}

void frmBrowse::cmdSelect_Click() {
    const QString folder = m_Dir1->path();
    if (m_shared.BrowsingDestination) {
        // A destination always ends with the separator; a root already does.
        m_captions.setDestinationPathCaption(
            EndsWithSeparator(folder) ? folder : folder + QChar::fromLatin1(path::kSeparator));
    } else if (!m_shared.AddingFile) {
        m_captions.setSourcePathCaption(folder);
    } else {
        const QString name = m_File1->fileName();
        if (name.isEmpty()) {
            QMessageBox box(QMessageBox::Warning, kTitleText, QStringLiteral("Please choose a file."),
                            QMessageBox::Ok, this);
            KeepCloseBoxOnly(box);
            box.exec();
            return;
        }
        m_captions.setSourcePathCaption(JoinPath(m_File1->path(), name));
    }
    accept();
}

void frmBrowse::cmdCancel_Click() { reject(); }

}  // namespace orvalen::ui
