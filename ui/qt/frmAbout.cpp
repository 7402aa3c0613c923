// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt/frmAbout.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "Version.h"
#include "core/AppTitle.h"
#include "platform/FileProbe.h"
#include "platform/KeyValueStore.h"
#include "platform/ProgramStarter.h"
#include "platform/SysInfoLauncher.h"
#include "ui/logic/Layout.h"
#include "ui/logic/MessageBoxes.h"
#include "ui/logic/WindowTexts.h"
#include "ui/qt/AppIcon.h"
#include "ui/qt/DesignColours.h"
#include "ui/qt/FileSystemText.h"
#include "ui/qt/MessageBoxes.h"
#include "ui/qt/TitleBarButtons.h"
#include "ui/qt/WindowLayout.h"

namespace orvalen::ui {

const QString frmAbout::kMakerName = Utf8Text(ui::kMakerName);
const QString frmAbout::kDateLine = Utf8Text(ui::kDateLine);
const QString frmAbout::kDisclaimer = Utf8Text(ui::kDisclaimer);
const QString frmAbout::kSysInfoUnavailable = QString::fromLatin1(kMsgSysInfoUnavailable);

QPointer<frmAbout> frmAbout::s_open;

namespace {

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
      m_cmdOK(new QPushButton(Utf8Text(AboutLayout().at("cmdOK").caption), this)),
      m_cmdSysInfo(new QPushButton(Utf8Text(AboutLayout().at("cmdSysInfo").caption), this)) {
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
    setWindowTitle(Utf8Text(AboutLayout().title));
    m_lblVersion->setText(QStringLiteral("Version %1.%2.%3")
                              .arg(kVersionMajor)
                              .arg(kVersionMinor)
                              .arg(kVersionRevision));
    m_lblTitle->setText(title);
}

void frmAbout::applyGeometry() { LayOutWindow(*this, AboutLayout()); }

void frmAbout::StartSysInfo() {
    // Looked up afresh at each click: the store may have changed meanwhile.
    const auto store = platform::MakeSystemKeyValueStore();
    const auto probe = platform::MakeSystemFileProbe();
    const auto starter = platform::MakeSystemProgramStarter();
    if (platform::FindAndStartSysInfo(*store, *probe, *starter) == platform::SysInfoOutcome::Started)
        return;
    ShowMessageBox(this, MessageBox::Notice(kMsgSysInfoUnavailable));
}

void frmAbout::cmdOK_Click() { accept(); }

void frmAbout::cmdSysInfo_Click() { StartSysInfo(); }

}  // namespace orvalen::ui
