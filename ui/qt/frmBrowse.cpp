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
#include "ui/logic/Layout.h"
#include "ui/qt/DirListBox.h"
#include "ui/qt/FileListBox.h"
#include "ui/qt/FileSystemText.h"
#include "ui/qt/MessageBoxes.h"
#include "ui/qt/TitleBarButtons.h"
#include "ui/qt/WindowLayout.h"

namespace orvalen::ui {

namespace {
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

frmBrowse::frmBrowse(mdlMain& shared, PathFields& fields, std::unique_ptr<platform::VolumeSource> volumes)
    : QDialog(nullptr, CloseBoxOnlyFlags(Qt::Dialog)),
      m_volumes(std::move(volumes)),
      m_logic(shared, *this, *m_volumes, fields) {
    setObjectName(QStringLiteral("frmBrowse"));
    KeepCloseBoxOnly(*this);
    setWindowTitle(Utf8Text(BrowseLayout().title));
    createControls();
    LayOutWindow(*this, BrowseLayout());

    loadVolumes();
    // The first showing starts where the process stands; the program sets no
    // start folder of its own.
    std::error_code unused;
    m_Dir1->setPath(NameFromFileSystem(std::filesystem::current_path(unused).string()));
}

frmBrowse::~frmBrowse() = default;

void frmBrowse::createControls() {
    const auto label = [this](std::string_view name) {
        auto* made = new QLabel(Utf8Text(BrowseLayout().at(name).caption), this);
        made->setObjectName(Utf8Text(name));
        return made;
    };
    const auto button = [this](std::string_view name) {
        const ControlBox& box = BrowseLayout().at(name);
        auto* made = new QPushButton(Utf8Text(box.caption), this);
        made->setObjectName(Utf8Text(name));
        made->setToolTip(Utf8Text(box.tip));
        return made;
    };
    m_Label1 = label("Label1");
    m_Drive1 = new DriveComboBox(this);
    m_Drive1->setObjectName(QStringLiteral("Drive1"));
    m_cmdSelect = button("cmdSelect");
    m_cmdSelect->setDefault(true);
    m_cmdCancel = button("cmdCancel");
    m_Label2 = label("Label2");
    m_Dir1 = new DirListBox(*m_volumes, this);
    m_Dir1->setObjectName(QStringLiteral("Dir1"));
    m_Label3 = label("Label3");
    m_File1 = new FileListBox(*m_volumes, this);
    m_File1->setObjectName(QStringLiteral("File1"));
    m_File1->setEnabled(false);

    setTabOrder(m_cmdSelect, m_cmdCancel);
    setTabOrder(m_cmdCancel, m_Drive1);
    setTabOrder(m_Drive1, m_Dir1);
    setTabOrder(m_Dir1, m_File1);
    m_cmdSelect->setFocus();

    connect(m_Drive1, &QComboBox::currentIndexChanged, this, [this] {
        m_Drive1->setToolTip(m_Drive1->currentText());
        m_logic.Drive1_Change();
    });
    connect(m_Dir1, &DirListBox::pathChanged, this, [this] { m_logic.Dir1_Change(); });
    connect(m_cmdSelect, &QPushButton::clicked, this, [this] { m_logic.cmdSelect_Click(); });
    connect(m_cmdCancel, &QPushButton::clicked, this, [this] { m_logic.cmdCancel_Click(); });
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
    else showMountPoint(VolumeOf(openFolder(), mountPoints()));
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
    m_logic.Form_Activate();
    QDialog::showEvent(event);
}

void frmBrowse::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) m_logic.Form_Activate();
    QDialog::changeEvent(event);
}

std::vector<std::string> frmBrowse::mountPoints() const {
    std::vector<std::string> found;
    for (int i = 0; i < m_Drive1->count(); ++i)
        found.push_back(NameToFileSystem(m_Drive1->itemData(i, kMountPointRole).toString()));
    return found;
}

std::string frmBrowse::shownMountPoint() const {
    return NameToFileSystem(m_Drive1->currentData(kMountPointRole).toString());
}

void frmBrowse::showMountPoint(const std::string& mountPoint) {
    const int index = m_Drive1->findData(NameFromFileSystem(mountPoint), kMountPointRole);
    if (index < 0) return;
    const QSignalBlocker quiet(m_Drive1);
    m_Drive1->setCurrentIndex(index);
    m_Drive1->setToolTip(m_Drive1->currentText());
}

std::string frmBrowse::openFolder() const { return NameToFileSystem(m_Dir1->path()); }

int frmBrowse::setOpenFolder(const std::string& folder) { return m_Dir1->setPath(NameFromFileSystem(folder)); }

void frmBrowse::listFiles(const std::string& folder) { m_File1->setPath(NameFromFileSystem(folder)); }

std::string frmBrowse::fileFolder() const { return NameToFileSystem(m_File1->path()); }

std::string frmBrowse::highlightedFile() const { return NameToFileSystem(m_File1->fileName()); }

void frmBrowse::setFileListEnabled(bool enabled) { m_File1->setEnabled(enabled); }

void frmBrowse::hideDialog(bool selected) {
    if (selected) accept();
    else reject();
}

MessageBox::Answer frmBrowse::showMessage(const MessageBox& box) { return ShowMessageBox(this, box); }

}  // namespace orvalen::ui
