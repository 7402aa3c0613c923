// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt/frmInstructions.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "ui/logic/Layout.h"
#include "ui/logic/WindowTexts.h"
#include "ui/qt/AppIcon.h"
#include "ui/qt/DesignColours.h"
#include "ui/qt/FileSystemText.h"
#include "ui/qt/TitleBarButtons.h"
#include "ui/qt/WindowLayout.h"

namespace orvalen::ui {

const QString frmInstructions::kTextA = Utf8Text(kInstructionsA);
const QString frmInstructions::kTextB = Utf8Text(kInstructionsB);
const QString frmInstructions::kMakerName = Utf8Text(ui::kMakerName);

QPointer<frmInstructions> frmInstructions::s_open;

namespace {

// The design's fonts are "MS Sans Serif"; here the default dialog font, a
// sans-serif, at the same sizes and weights. (A bare style hint lets
// fontconfig pick a serif face.)
QFont sansSerif(const QFont& base, double points, bool bold) {
    QFont font(base);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void colourText(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

}  // namespace

void frmInstructions::showModal(QWidget* mainWindow) {
    if (s_open) {
        s_open->raise();
        s_open->activateWindow();
        return;
    }
    auto* window = new frmInstructions(mainWindow);
    window->Form_Load();
    window->exec();  // discarded on close (WA_DeleteOnClose)
}

frmInstructions* frmInstructions::current() { return s_open.data(); }

frmInstructions::frmInstructions(QWidget* mainWindow)
    : QDialog(nullptr,
              CloseBoxOnlyFlags(Qt::Dialog)),
      m_mainWindow(mainWindow),
      m_lblInstructionsLabel(new QLabel(QStringLiteral("Instructions:"), this)),
      m_lblInstructions(new QLabel(kTextA, this)),
      m_Label1(new QLabel(kTextB, this)),
      m_frmByMe(new QGroupBox(QStringLiteral("Produced By:"), this)),
      m_lblByMe(new QLabel(kMakerName, m_frmByMe)),
      m_cmdClose(new QPushButton(QStringLiteral("Close"), this)) {
    s_open = this;
    setObjectName(QStringLiteral("frmInstructions"));
    KeepCloseBoxOnly(*this);
    setWindowTitle(Utf8Text(InstructionsLayout().title));
    setWindowIcon(AppIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    // No owner, yet nothing else in the program takes input while it is open.
    setWindowModality(Qt::ApplicationModal);
    setModal(true);

    m_lblInstructionsLabel->setObjectName(QStringLiteral("lblInstructionsLabel"));
    m_lblInstructions->setObjectName(QStringLiteral("lblInstructions"));
    m_Label1->setObjectName(QStringLiteral("Label1"));
    m_frmByMe->setObjectName(QStringLiteral("frmByMe"));
    m_lblByMe->setObjectName(QStringLiteral("lblByMe"));
    m_cmdClose->setObjectName(QStringLiteral("cmdClose"));

    for (QLabel* label : {m_lblInstructionsLabel, m_lblInstructions, m_Label1, m_lblByMe})
        label->setTextFormat(Qt::PlainText);
    m_lblInstructionsLabel->setFont(sansSerif(font(), 12, true));
    colourText(m_lblInstructionsLabel, DesignColours::InstructionsHeading(palette()));
    m_lblInstructions->setWordWrap(true);
    m_Label1->setWordWrap(true);
    m_lblInstructions->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_lblByMe->setFont(sansSerif(font(), 17.25, false));
    colourText(m_lblByMe, DesignColours::InstructionsMaker(palette()));
    m_lblByMe->setAlignment(Qt::AlignCenter);

    // Enter and Esc both press Close.
    m_cmdClose->setDefault(true);
    m_cmdClose->setAutoDefault(true);
    connect(m_cmdClose, &QPushButton::clicked, this, &frmInstructions::cmdClose_Click);

    m_lblInstructionsLabel->setAccessibleName(m_lblInstructionsLabel->text());
    m_lblInstructions->setAccessibleName(kTextA);
    m_Label1->setAccessibleName(kTextB);
    m_frmByMe->setAccessibleName(QStringLiteral("Produced By:"));
    m_lblByMe->setAccessibleName(QStringLiteral("Produced By: ") + kMakerName);
    m_cmdClose->setAccessibleName(QStringLiteral("Close"));
    m_cmdClose->setAccessibleDescription(QStringLiteral("Close the instructions"));

    applyGeometry();
    m_cmdClose->setFocus();
}

frmInstructions::~frmInstructions() = default;

void frmInstructions::applyGeometry() { LayOutWindow(*this, InstructionsLayout()); }

void frmInstructions::Form_Load() {
    // At start-up this puts the main window on the screen before this window.
    if (m_mainWindow) m_mainWindow->show();
}

void frmInstructions::cmdClose_Click() { accept(); }

}  // namespace orvalen::ui
