// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt/frmAbout.h"

#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>

#include "Version.h"
#include "core/AppTitle.h"
#include "platform/FileProbe.h"
#include "platform/KeyValueStore.h"
#include "platform/ProgramStarter.h"
#include "platform/SysInfoLauncher.h"
#include "ui/qt/AppIcon.h"
#include "ui/qt/DesignColours.h"
#include "ui/qt/TitleBarButtons.h"
#include "ui/qt/Twips.h"

namespace orvalen::ui {

const QString frmAbout::kMakerName = QStringLiteral("Orvalen Team");
const QString frmAbout::kDateLine = QStringLiteral("Copyright \u00A9 2024 the Orvalen Team");
const QString frmAbout::kDisclaimer = QStringLiteral(
    "Orvalen is provided as is, without warranty of any kind. Use it only on drives and "
    "folders you are allowed to write to. The makers accept no liability for any loss of "
    "data or other damage arising from its use.");
const QString frmAbout::kSysInfoUnavailable =
    QStringLiteral("System Information Is Unavailable At This Time");

QPointer<frmAbout> frmAbout::s_open;

namespace {

// Room, in twips, that a label sized to its text may take: up to the window's
// right margin, and down to the next row.
constexpr int kTextLeft = 1560;
constexpr int kTextRoom = 5730 - 120 - kTextLeft;
constexpr int kRowStep = 285;

void colour(QWidget* widget, QPalette::ColorRole role, const QColor& value) {
    QPalette palette = widget->palette();
    palette.setColor(role, value);
    widget->setPalette(palette);
}

}  // namespace

void frmAbout::showSingle() {
    frmAbout* box = s_open;
    // A closed box is hidden at once but deleted only later: it does not count.
    if (!box || !box->isVisible()) box = new frmAbout();  // loads itself
    box->show();
    box->raise();
    box->activateWindow();
}

frmAbout* frmAbout::current() { return s_open.data(); }

frmAbout::frmAbout()
    : QDialog(nullptr,
              CloseBoxOnlyFlags(Qt::Dialog)),
      m_picIcon(new QLabel(this)),
      m_lblTitle(new QLabel(this)),
      m_lblVersion(new QLabel(this)),
      m_lblByMe(new QLabel(kMakerName, this)),
      m_lblDate(new QLabel(kDateLine, this)),
      m_Line1{new QFrame(this), new QFrame(this)},
      m_lblDisclaimer(new QLabel(kDisclaimer, this)),
      m_cmdOK(new QPushButton(QStringLiteral("OK"), this)),
      m_cmdSysInfo(new QPushButton(QStringLiteral("&System Info..."), this)) {
    s_open = this;
    setObjectName(QStringLiteral("frmAbout"));
    KeepCloseBoxOnly(*this);
    setWindowIcon(AppIcon());  // also makes the picture's resource available
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    m_picIcon->setObjectName(QStringLiteral("picIcon"));
    m_lblTitle->setObjectName(QStringLiteral("lblTitle"));
    m_lblVersion->setObjectName(QStringLiteral("lblVersion"));
    m_lblByMe->setObjectName(QStringLiteral("lblByMe"));
    m_lblDate->setObjectName(QStringLiteral("lblDate"));
    m_lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    // One control array of two lines, told apart by index as in the design.
    for (int i = 0; i < 2; ++i) {
        m_Line1[i]->setObjectName(QStringLiteral("Line1"));
        m_Line1[i]->setProperty("Index", i);
        m_Line1[i]->setFrameShape(QFrame::NoFrame);
        m_Line1[i]->setAutoFillBackground(true);
    }
    colour(m_Line1[0], QPalette::Window, DesignColours::EtchLight(palette()));
    colour(m_Line1[1], QPalette::Window, DesignColours::EtchShadow(palette()));

    m_picIcon->setPixmap(QPixmap(kIcon80));
    m_picIcon->setAlignment(Qt::AlignCenter);
    m_picIcon->setAccessibleName(QStringLiteral("Orvalen icon"));

    for (QLabel* label : {m_lblTitle, m_lblVersion, m_lblByMe, m_lblDate, m_lblDisclaimer})
        label->setTextFormat(Qt::PlainText);
    for (QLabel* label : {m_lblTitle, m_lblByMe, m_lblDisclaimer})
        colour(label, QPalette::WindowText, DesignColours::AboutText(palette()));
    QFont titleFont = m_lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
    titleFont.setBold(true);
    m_lblTitle->setFont(titleFont);
    m_lblDisclaimer->setWordWrap(true);
    m_lblDisclaimer->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // Enter and Esc both press OK (Esc through QDialog's reject).
    m_cmdOK->setDefault(true);
    m_cmdOK->setAccessibleDescription(QStringLiteral("Close the About box"));
    m_cmdSysInfo->setAccessibleName(QStringLiteral("System Info..."));
    m_cmdSysInfo->setAccessibleDescription(QStringLiteral("Start the System Information tool"));
    connect(m_cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(m_cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
    setTabOrder(m_cmdOK, m_cmdSysInfo);

    Form_Load();
    // The labels that size themselves can only be placed once Load gave them their text.
    applyGeometry();
    m_cmdOK->setFocus();
}

frmAbout::~frmAbout() = default;

void frmAbout::Form_Load() {
    const QString title = QString::fromLatin1(kTitle);
    setWindowTitle(QStringLiteral("About ") + title);
    m_lblVersion->setText(QStringLiteral("Version %1.%2.%3")
                              .arg(kVersionMajor)
                              .arg(kVersionMinor)
                              .arg(kVersionRevision));
    m_lblTitle->setText(title);
}

void frmAbout::applyGeometry() {
    TwipsScale s = TwipsScale::forWidget(*this);
    s.fitText(m_lblTitle->fontMetrics(), m_lblTitle->text(), kTextRoom, kRowStep);
    s.fitText(m_lblVersion->fontMetrics(), m_lblVersion->text(), kTextRoom, kRowStep);
    s.fitText(m_lblByMe->fontMetrics(), kMakerName, kTextRoom, kRowStep);
    s.fitText(m_lblDate->fontMetrics(), kDateLine, kTextRoom, 1485 - 1095);
    s.fitText(m_lblDisclaimer->fontMetrics(), kDisclaimer, 3975, 1065, Qt::TextWordWrap);
    for (QPushButton* button : {m_cmdOK, m_cmdSysInfo}) {
        const QFontMetrics metrics = button->fontMetrics();
        s.fitSize(QSize(metrics.horizontalAdvance(QStringLiteral("System Info...")) + 16,
                        metrics.height() + 8),
                  1245, 345);
    }

    // The picture box sizes itself to its 80 x 80 picture and a two-pixel
    // margin; the picture is not stretched when a large font grows the window.
    m_picIcon->setGeometry(QRect(s.point(120, 120), QSize(84, 84)));

    s.placeSized(m_lblTitle, kTextLeft, 240);
    s.placeSized(m_lblVersion, kTextLeft, 525);
    s.placeSized(m_lblByMe, kTextLeft, 810);
    s.placeSized(m_lblDate, kTextLeft, 1095);

    // Etched: the grey line, and the white one right under it whatever the scale.
    const int grey = s.px(1485);
    m_Line1[1]->setGeometry(s.px(90), grey, s.px(5654) - s.px(90), 1);
    m_Line1[0]->setGeometry(s.px(105), grey + 1, s.px(5654) - s.px(105), 2);

    s.place(m_lblDisclaimer, 120, 1560, 3975, 1065);
    s.place(m_cmdOK, 4245, 1665, 1260, 345);
    s.place(m_cmdSysInfo, 4260, 2115, 1245, 345);
    setFixedSize(s.size(5730, 2640));
}

void frmAbout::StartSysInfo() {
    // Looked up afresh at each click: the store may have changed meanwhile.
    const auto store = platform::MakeSystemKeyValueStore();
    const auto probe = platform::MakeSystemFileProbe();
    const auto starter = platform::MakeSystemProgramStarter();
    if (platform::FindAndStartSysInfo(*store, *probe, *starter) == platform::SysInfoOutcome::Started)
        return;
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kTitle), kSysInfoUnavailable,
                    QMessageBox::Ok, this);
    KeepCloseBoxOnly(box);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
}

void frmAbout::cmdOK_Click() { accept(); }

void frmAbout::cmdSysInfo_Click() { StartSysInfo(); }

}  // namespace orvalen::ui
