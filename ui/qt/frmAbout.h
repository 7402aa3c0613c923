// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QPointer>

class QFrame;
class QLabel;
class QPushButton;

namespace orvalen::ui {

// The About box: the program's picture, title, version and notices, with OK
// and a button that starts the system's information tool. Modeless and
// without an owner; at most one exists, and closing it discards it.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    static const QString kMakerName;   // lblByMe
    static const QString kDateLine;    // lblDate
    static const QString kDisclaimer;  // lblDisclaimer
    static const QString kSysInfoUnavailable;

    // Opens the About box and returns at once; if it is open already it is
    // only brought to the front.
    static void showSingle();
    // The open About box, or null.
    static frmAbout* current();

    ~frmAbout() override;

    // Load: caption, title and version.
    void Form_Load();
    // Finds and starts the System Information tool, or says it cannot.
    void StartSysInfo();

public slots:
    void cmdOK_Click();
    void cmdSysInfo_Click();

private:
    frmAbout();
    void applyGeometry();

    QLabel* m_picIcon;
    QLabel* m_lblTitle;
    QLabel* m_lblVersion;
    QLabel* m_lblByMe;
    QLabel* m_lblDate;
    QFrame* m_Line1[2];
    QLabel* m_lblDisclaimer;
    QPushButton* m_cmdOK;
    QPushButton* m_cmdSysInfo;

    static QPointer<frmAbout> s_open;
};

}  // namespace orvalen::ui
