// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QPointer>

class QGroupBox;
class QLabel;
class QPushButton;

namespace orvalen::ui {

// The Instructions window: a fixed page of text, shown modally at start-up and
// from Help > Instructions. Created for each showing and discarded on close.
class frmInstructions : public QDialog {
    Q_OBJECT
public:
    static const QString kTextA;  // lblInstructions
    static const QString kTextB;  // Label1
    static const QString kMakerName;  // lblByMe

    // Opens the one Instructions window, application-modal and without an
    // owner, and returns when it has been closed. Its load step shows
    // `mainWindow` first, so at start-up the main window is on the screen
    // before this window opens in front of it. If the window is already open
    // it is raised instead.
    static void showModal(QWidget* mainWindow);
    // The open Instructions window, or null.
    static frmInstructions* current();

    explicit frmInstructions(QWidget* mainWindow);
    ~frmInstructions() override;

    // Load: shows the main window (modeless).
    void Form_Load();

public slots:
    void cmdClose_Click();

private:
    void applyGeometry();

    QPointer<QWidget> m_mainWindow;
    QLabel* m_lblInstructionsLabel;
    QLabel* m_lblInstructions;
    QLabel* m_Label1;
    QGroupBox* m_frmByMe;
    QLabel* m_lblByMe;
    QPushButton* m_cmdClose;

    static QPointer<frmInstructions> s_open;
};

}  // namespace orvalen::ui
