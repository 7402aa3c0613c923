// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt/frmInstructions.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "ui/qt/AppIcon.h"
#include "ui/qt/DesignColours.h"
#include "ui/qt/TitleBarButtons.h"
#include "ui/qt/Twips.h"

namespace orvalen::ui {

const QString frmInstructions::kTextA = QStringLiteral(
    "Using this program you can prevent the deletion of certain files/folders on a shared drive "
    "in your network.  For example you've got a file you want to show to your friends.  So you "
    "copy it to a shared drive in your network, and ask your friends to check it out.  But some "
    "jealous freak keeps on deleting it.  This program will check whether your file exists on "
    "the shared drive, and if not, it recopies the file.  This process is repeated at a defined "
    "interval of time.  So the jealous guy will get tired and stop after a while!");

const QString frmInstructions::kTextB = QStringLiteral(
    "Here's how it works:  You give your file/folder's source and destination paths.  You can do "
    "this with several files/folders, each with different sources and destinations.  You can "
    "also choose the interval of time at which the recopying process is repeated.  Then you tell "
    "the program to start running.  You can stop the program at any time.");

const QString frmInstructions::kMakerName = QStringLiteral("Orvalen Team");

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
    setWindowTitle(QStringLiteral("Instructions"));
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

void frmInstructions::applyGeometry() {
    TwipsScale s = TwipsScale::forWidget(*this);
    const int wrap = Qt::TextWordWrap;
    s.fitText(m_lblInstructionsLabel->fontMetrics(), m_lblInstructionsLabel->text(), 1575, 255);
    s.fitText(m_lblInstructions->fontMetrics(), kTextA, 5145, 1605, wrap);
    s.fitText(m_Label1->fontMetrics(), kTextB, 5145, 975, wrap);
    s.fitText(m_lblByMe->fontMetrics(), kMakerName, 3135, 375);
    // The frame's title sits above the maker's name.
    s.fitText(m_frmByMe->fontMetrics(), m_frmByMe->title(), 3495, 240, 0, QSize(16, 0));
    const QFontMetrics buttonMetrics = m_cmdClose->fontMetrics();
    s.fitSize(QSize(buttonMetrics.horizontalAdvance(m_cmdClose->text()) + 16,
                    buttonMetrics.height() + 8),
              1215, 495);

    s.place(m_lblInstructionsLabel, 203, 112, 1575, 255);
    s.place(m_lblInstructions, 173, 472, 5145, 1605);
    s.place(m_Label1, 173, 2152, 5145, 975);
    s.place(m_frmByMe, 188, 3247, 3495, 735);
    s.place(m_lblByMe, 100, 240, 3135, 375);
    s.place(m_cmdClose, 4043, 3457, 1215, 495);
    setFixedSize(s.size(5490, 4095));
}

void frmInstructions::Form_Load() {
    // At start-up this puts the main window on the screen before this window.
    if (m_mainWindow) m_mainWindow->show();
}

void frmInstructions::cmdClose_Click() { accept(); }

}  // namespace orvalen::ui
