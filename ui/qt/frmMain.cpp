// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

#include "core/AppTitle.h"
#include "core/PathText.h"
#include "ui/qt/AppIcon.h"
#include "ui/qt/FileSystemText.h"
#include "ui/qt/ItemListModel.h"
#include "ui/qt/ListBoxAccessible.h"
#include "ui/qt/PathLabel.h"
#include "ui/qt/TitleBarButtons.h"
#include "ui/qt/Twips.h"
#include "ui/qt/frmAbout.h"
#include "ui/qt/frmInstructions.h"

namespace orvalen::ui {

const QString frmMain::kMsgNoItemSelected = QStringLiteral("Please choose a file/folder from the list.");
const QString frmMain::kMsgNoSource = QStringLiteral("Please specify a source file/folder.");
const QString frmMain::kMsgNoDestination = QStringLiteral("Please specify a destination file/folder.");
const QString frmMain::kMsgListFull = QStringLiteral(
    "The list is full: it holds 101 items, the most it can hold.  "
    "Delete an item before you add another.");

namespace {

const QString kTitleText = QString::fromLatin1(kTitle);
const QString kNoneChosen = QStringLiteral("none chosen");

QPushButton* makeButton(const QString& name, const QString& caption, const QString& tip,
                        QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setToolTip(tip);
    button->setAccessibleName(caption);
    button->setAccessibleDescription(tip);
    // Enter is dealt with by the window, as a dialog would.
    button->setAutoDefault(false);
    return button;
}

QLabel* makeLabel(const QString& name, const QString& caption, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setAccessibleName(caption);
    return label;
}

QGroupBox* makeFrame(const QString& name, const QString& accessibleName, QWidget* parent) {
    auto* frame = new QGroupBox(parent);
    frame->setObjectName(name);
    frame->setAccessibleName(accessibleName);
    return frame;
}

QListView* makeList(const QString& name, const QString& accessibleName, int column,
                    ItemListModel* model, QWidget* parent) {
    auto* list = new QListView(parent);
    list->setObjectName(name);
    list->setModel(model);
    list->setModelColumn(column);
    list->setSelectionModel(model->selectionModel());
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Paths are long and the boxes narrow: the end of a path, its name, is
    // what tells the rows apart, so a long path loses its start, and the rows
    // keep the box's width instead of scrolling sideways past the name.
    list->setTextElideMode(Qt::ElideLeft);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setWordWrap(false);
    list->setUniformItemSizes(true);
    list->setAccessibleName(accessibleName);
    return list;
}

}  // namespace

frmMain::frmMain(mdlMain& shared, QWidget* parent,
                 BrowseLauncher::VolumeSourceFactory makeVolumes)
    : QMainWindow(parent,
                  CloseBoxOnlyFlags(Qt::Window)),
      m_shared(shared),
      m_model(new ItemListModel(shared.Items, this)),
      m_run(shared.Items, static_cast<RunView&>(*this), static_cast<RunTimer&>(*this),
            static_cast<UserPrompt&>(*this)),
      m_runner(shared, static_cast<UserPrompt&>(*this), m_run, static_cast<WindowThread&>(*this)),
      m_browse(shared, static_cast<PathCaptions&>(*this), std::move(makeVolumes)),
      m_exitAction([] {
          // No window's own close step runs: they simply disappear.
          for (QWidget* window : QApplication::topLevelWidgets()) window->hide();
          QCoreApplication::exit(0);
      }) {
    setObjectName(QStringLiteral("frmMain"));
    KeepCloseBoxOnly(*this);
    InstallListBoxAccessible();
    setWindowTitle(kTitleText);
    setWindowIcon(AppIcon());
    m_runner.setBusyIndicator(this);

    m_tmrTimer = new QTimer(this);
    m_tmrTimer->setObjectName(QStringLiteral("tmrTimer"));
    m_tmrTimer->setInterval(kInitialIntervalMs);
    connect(m_tmrTimer, &QTimer::timeout, this, &frmMain::tmrTimer_Timer);

    buildMenu();
    buildControls();
    applyGeometry();
    describeForAccessibility();
    setTabOrder();

    // The initial state is list mode with an empty list.
    Mode1();
    m_lstSource->setFocus();
}

frmMain::~frmMain() {
    if (m_busy) QApplication::restoreOverrideCursor();
}

void frmMain::buildMenu() {
    m_mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    m_mnuFile->setObjectName(QStringLiteral("mnuFile"));
    m_mnuFileExit = m_mnuFile->addAction(QStringLiteral("E&xit"));
    m_mnuFileExit->setObjectName(QStringLiteral("mnuFileExit"));
    m_mnuFileExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(m_mnuFileExit, &QAction::triggered, this, &frmMain::mnuFileExit_Click);

    m_mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    m_mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    m_mnuHelpInstructions = m_mnuHelp->addAction(QStringLiteral("&Instructions"));
    m_mnuHelpInstructions->setObjectName(QStringLiteral("mnuHelpInstructions"));
    m_mnuHelpInstructions->setShortcut(QKeySequence(Qt::Key_F1));
    connect(m_mnuHelpInstructions, &QAction::triggered, this, &frmMain::mnuHelpInstructions_Click);
    m_mnuHelpDash = m_mnuHelp->addSeparator();
    m_mnuHelpDash->setObjectName(QStringLiteral("mnuHelpDash"));
    m_mnuHelpAbout = m_mnuHelp->addAction(QStringLiteral("&About Orvalen"));
    m_mnuHelpAbout->setObjectName(QStringLiteral("mnuHelpAbout"));
    connect(m_mnuHelpAbout, &QAction::triggered, this, &frmMain::mnuHelpAbout_Click);

    // A menu bar that folds away would hide the mnemonics.
    menuBar()->setNativeMenuBar(false);
}

void frmMain::buildControls() {
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("frmMainClient"));
    setCentralWidget(m_client);

    m_fraMode1 = makeFrame(QStringLiteral("fraMode1"), QStringLiteral("Item list"), m_client);
    m_lblSourceListLabel = makeLabel(QStringLiteral("lblSourceListLabel"), QStringLiteral("Sources:"), m_fraMode1);
    m_lblDestinationListLabel = makeLabel(QStringLiteral("lblDestinationListLabel"),
                                          QStringLiteral("Destinations:"), m_fraMode1);
    m_lstSource = makeList(QStringLiteral("lstSource"), QStringLiteral("Sources"),
                           ItemListModel::SourceColumn, m_model, m_fraMode1);
    m_lstDestination = makeList(QStringLiteral("lstDestination"), QStringLiteral("Destinations"),
                                ItemListModel::DestinationColumn, m_model, m_fraMode1);
    m_lblSourceListLabel->setBuddy(m_lstSource);
    m_lblDestinationListLabel->setBuddy(m_lstDestination);
    m_cmdAddFile = makeButton(QStringLiteral("cmdAddFile"), QStringLiteral("Add File"),
                              QStringLiteral("Add a file to list"), m_fraMode1);
    m_cmdAddFolder = makeButton(QStringLiteral("cmdAddFolder"), QStringLiteral("Add Folder"),
                                QStringLiteral("Add folder to list"), m_fraMode1);
    m_cmdEditItem = makeButton(QStringLiteral("cmdEditItem"), QStringLiteral("Edit Item"),
                               QStringLiteral("Change source and destination path of selected item in list"),
                               m_fraMode1);
    m_cmdDeleteItem = makeButton(QStringLiteral("cmdDeleteItem"), QStringLiteral("Delete Item"),
                                 QStringLiteral("Delete selected item in list"), m_fraMode1);

    m_fraMode2 = makeFrame(QStringLiteral("fraMode2"), QStringLiteral("Item entry"), m_client);
    m_lblSourcePathLabel = makeLabel(QStringLiteral("lblSourcePathLabel"),
                                     QStringLiteral("Choose source file/folder:"), m_fraMode2);
    m_lblSourcePath = new PathLabel(m_fraMode2);
    m_lblSourcePath->setObjectName(QStringLiteral("lblSourcePath"));
    m_cmdBrowseSource = makeButton(QStringLiteral("cmdBrowseSource"), QStringLiteral("Browse..."),
                                   QStringLiteral("Browse to find source file/folder"), m_fraMode2);
    m_lblDestinationPathLabel = makeLabel(QStringLiteral("lblDestinationPathLabel"),
                                          QStringLiteral("Choose destination path:"), m_fraMode2);
    m_lblDestinationPath = new PathLabel(m_fraMode2);
    m_lblDestinationPath->setObjectName(QStringLiteral("lblDestinationPath"));
    m_cmdBrowseDestination = makeButton(QStringLiteral("cmdBrowseDestination"), QStringLiteral("Browse..."),
                                        QStringLiteral("Browse to find destination file/folder"), m_fraMode2);
    m_cmdOK = makeButton(QStringLiteral("cmdOK"), QStringLiteral("OK"), QStringLiteral("Add to list"), m_fraMode2);
    m_cmdCancel = makeButton(QStringLiteral("cmdCancel"), QStringLiteral("Cancel"),
                             QStringLiteral("Don't add to list"), m_fraMode2);

    m_fraRun = makeFrame(QStringLiteral("fraRun"), QStringLiteral("Run"), m_client);
    m_cmdStart = makeButton(QStringLiteral("cmdStart"), QStringLiteral("Start"), QStringLiteral("Start running"), m_fraRun);
    m_txtTimeInterval = new QLineEdit(QStringLiteral("5"), m_fraRun);
    m_txtTimeInterval->setObjectName(QStringLiteral("txtTimeInterval"));
    m_cmdStop = makeButton(QStringLiteral("cmdStop"), QStringLiteral("Stop"), QStringLiteral("Stop running"), m_fraRun);
    m_lblIntervalLabel = makeLabel(QStringLiteral("lblIntervalLabel"), QStringLiteral("Time interval in seconds:"), m_fraRun);
    m_lblIntervalLabel->setBuddy(m_txtTimeInterval);
    m_lblStatus = makeLabel(QStringLiteral("lblStatus"), QString::fromLatin1(kStatusReady), m_fraRun);
    m_lblStatusLabel = makeLabel(QStringLiteral("lblStatusLabel"), QStringLiteral("Status:"), m_fraRun);

    // The design's initial states; Mode1 leaves these alone while the list is empty.
    for (QPushButton* b : {m_cmdStart, m_cmdStop, m_cmdEditItem, m_cmdDeleteItem}) b->setEnabled(false);

    connect(m_cmdAddFile, &QPushButton::clicked, this, &frmMain::cmdAddFile_Click);
    connect(m_cmdAddFolder, &QPushButton::clicked, this, &frmMain::cmdAddFolder_Click);
    connect(m_cmdEditItem, &QPushButton::clicked, this, &frmMain::cmdEditItem_Click);
    connect(m_cmdDeleteItem, &QPushButton::clicked, this, &frmMain::cmdDeleteItem_Click);
    connect(m_cmdBrowseSource, &QPushButton::clicked, this, &frmMain::cmdBrowseSource_Click);
    connect(m_cmdBrowseDestination, &QPushButton::clicked, this, &frmMain::cmdBrowseDestination_Click);
    connect(m_cmdOK, &QPushButton::clicked, this, &frmMain::cmdOK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmMain::cmdCancel_Click);
    connect(m_cmdStart, &QPushButton::clicked, this, &frmMain::cmdStart_Click);
    connect(m_cmdStop, &QPushButton::clicked, this, &frmMain::cmdStop_Click);

    // Enter and Esc reach the window before the control that has the focus.
    for (QWidget* child : m_client->findChildren<QWidget*>()) child->installEventFilter(this);
}

void frmMain::applyGeometry() {
    TwipsScale s = TwipsScale::forWidget(*this);

    // Grow the one scale until every caption fits its box of the design.
    struct Caption {
        QLabel* label;
        int width;
        int height;
    };
    for (const Caption& c : {Caption{m_lblSourceListLabel, 630, 195},
                             Caption{m_lblDestinationListLabel, 915, 195},
                             Caption{m_lblSourcePathLabel, 1815, 195},
                             Caption{m_lblDestinationPathLabel, 1755, 195},
                             Caption{m_lblIntervalLabel, 1755, 195},
                             Caption{m_lblStatusLabel, 495, 195},
                             Caption{m_lblStatus, 465, 195}})
        s.fitText(c.label->fontMetrics(), c.label->text(), c.width, c.height);

    const int margin = style()->pixelMetric(QStyle::PM_ButtonMargin) +
                       2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    struct Button {
        QPushButton* button;
        int width;
        int height;
    };
    for (const Button& b :
         {Button{m_cmdAddFile, 1000, 500}, Button{m_cmdAddFolder, 1000, 500},
          Button{m_cmdEditItem, 1000, 500}, Button{m_cmdDeleteItem, 1000, 500},
          Button{m_cmdBrowseSource, 1000, 400}, Button{m_cmdBrowseDestination, 1000, 400},
          Button{m_cmdOK, 1000, 495}, Button{m_cmdCancel, 1000, 495},
          Button{m_cmdStart, 1000, 495}, Button{m_cmdStop, 1000, 495}}) {
        const QFontMetrics fm = b.button->fontMetrics();
        s.fitSize(QSize(fm.horizontalAdvance(b.button->text()) + margin, fm.height() + margin),
                  b.width, b.height);
    }
    // Each path field holds two lines of text.
    s.fitText(m_lblSourcePath->fontMetrics(), QStringLiteral("Xg\nXg"), 3765, 435);
    s.fitSize(QSize(0, m_txtTimeInterval->sizeHint().height()), 495, 300);
    // A list box shows at least four rows.
    s.fitSize(QSize(0, 4 * m_lstSource->fontMetrics().lineSpacing() + 8), 1455, 1035);


    s.place(m_fraMode1, 120, 0, 5295, 1815);
    s.placeSized(m_lblSourceListLabel, 120, 240);
    s.placeSized(m_lblDestinationListLabel, 1680, 240);
    s.place(m_lstSource, 120, 600, 1455, 1035);
    s.place(m_lstDestination, 1560, 600, 1455, 1035);
    s.place(m_cmdAddFile, 3120, 600, 1000, 500);
    s.place(m_cmdAddFolder, 3120, 1200, 1000, 500);
    s.place(m_cmdEditItem, 4200, 600, 1000, 500);
    s.place(m_cmdDeleteItem, 4200, 1200, 1000, 500);

    s.place(m_fraMode2, 120, 1800, 5295, 2295);
    s.placeSized(m_lblSourcePathLabel, 120, 240);
    s.place(m_lblSourcePath, 120, 480, 3765, 435);
    s.place(m_cmdBrowseSource, 4200, 480, 1000, 400);
    s.placeSized(m_lblDestinationPathLabel, 120, 960);
    s.place(m_lblDestinationPath, 120, 1200, 3765, 435);
    s.place(m_cmdBrowseDestination, 4200, 1080, 1000, 400);
    s.place(m_cmdOK, 3120, 1680, 1000, 495);
    s.place(m_cmdCancel, 4200, 1680, 1000, 495);

    s.place(m_fraRun, 120, 4200, 5295, 1215);
    s.placeSized(m_lblIntervalLabel, 120, 240);
    s.place(m_txtTimeInterval, 1920, 240, 495, 300);
    s.placeSized(m_lblStatusLabel, 120, 720);
    s.placeSized(m_lblStatus, 720, 720);
    s.place(m_cmdStart, 3120, 600, 1000, 495);
    s.place(m_cmdStop, 4200, 600, 1000, 495);

    m_client->setFixedSize(s.size(5520, 5505));
    // The window takes exactly the menu bar and the client area, and keeps it.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
}

void frmMain::describeForAccessibility() {
    m_txtTimeInterval->setAccessibleName(QStringLiteral("Time interval in seconds"));
    m_mnuFile->setAccessibleName(QStringLiteral("File"));
    m_mnuHelp->setAccessibleName(QStringLiteral("Help"));
    m_mnuFileExit->setToolTip(QStringLiteral("Exit"));
    m_mnuHelpInstructions->setToolTip(QStringLiteral("Instructions"));
    m_mnuHelpAbout->setToolTip(QStringLiteral("About Orvalen"));
    // The value labels are read with their caption and current value.
    setStatus(kStatusReady);
    setSourcePathCaption(QString());
    setDestinationPathCaption(QString());
}

void frmMain::setTabOrder() {
    const QWidget* chain[] = {m_cmdStart,       m_lstSource,       m_lstDestination,
                              m_cmdAddFile,     m_cmdAddFolder,    m_cmdEditItem,
                              m_cmdDeleteItem,  m_cmdBrowseSource, m_cmdBrowseDestination,
                              m_cmdOK,          m_cmdCancel,       m_txtTimeInterval,
                              m_cmdStop};
    for (std::size_t i = 0; i + 1 < std::size(chain); ++i)
        QWidget::setTabOrder(const_cast<QWidget*>(chain[i]), const_cast<QWidget*>(chain[i + 1]));
    for (QWidget* w : {static_cast<QWidget*>(m_fraMode1), static_cast<QWidget*>(m_fraMode2),
                       static_cast<QWidget*>(m_fraRun)})
        w->setFocusPolicy(Qt::NoFocus);
}

void frmMain::centreOnScreen() {
    const QScreen* screen = this->screen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

void frmMain::showEvent(QShowEvent* event) {
    if (!m_placed) {
        m_placed = true;
        centreOnScreen();
    }
    QMainWindow::showEvent(event);
}

void frmMain::Form_Load() {
    frmInstructions::showModal(this);
    activateWindow();
}

// --- Entry editor -----------------------------------------------------------

void frmMain::Mode1() {
    setSourcePathCaption(QString());
    setDestinationPathCaption(QString());
    for (QPushButton* b : {m_cmdBrowseSource, m_cmdBrowseDestination, m_cmdOK, m_cmdCancel})
        b->setEnabled(false);
    m_cmdAddFile->setEnabled(true);
    m_cmdAddFolder->setEnabled(true);
    if (m_model->rowCount() > 0) {
        m_cmdEditItem->setEnabled(true);
        m_cmdDeleteItem->setEnabled(true);
        m_cmdStart->setEnabled(true);
    }
}

void frmMain::Mode2() {
    setSourcePathCaption(QString());
    setDestinationPathCaption(QString());
    for (QPushButton* b : {m_cmdBrowseSource, m_cmdBrowseDestination, m_cmdOK, m_cmdCancel})
        b->setEnabled(true);
    for (QPushButton* b : {m_cmdAddFile, m_cmdAddFolder, m_cmdEditItem, m_cmdDeleteItem})
        b->setEnabled(false);
}

void frmMain::NoItemSelected() { showWarning(kMsgNoItemSelected); }

void frmMain::cmdAddFile_Click() {
    m_shared.AddingFile = true;
    Mode2();
}

void frmMain::cmdAddFolder_Click() {
    m_shared.AddingFile = false;
    Mode2();
}

void frmMain::cmdEditItem_Click() {
    const int row = m_model->selectedRow();
    if (row < 0) {
        NoItemSelected();
        return;
    }
    Mode2();
    m_shared.EditingItem = true;
    m_editedRow = static_cast<std::int16_t>(row);
    // The browse dialog offers what the edited row holds, a file or a folder.
    m_shared.AddingFile = m_shared.Items.ItemIsFile(row);
    setSourcePathCaption(NameFromFileSystem(m_shared.Items.source(row)));
    setDestinationPathCaption(NameFromFileSystem(m_shared.Items.destination(row)));
}

void frmMain::cmdDeleteItem_Click() {
    const int row = m_model->selectedRow();
    if (row < 0) {
        NoItemSelected();
        return;
    }
    m_model->remove(row);
    if (m_model->rowCount() == 0) m_cmdStart->setEnabled(false);
}

void frmMain::cmdBrowseSource_Click() {
    m_shared.BrowsingDestination = false;
    showBrowseDialog();
}

void frmMain::cmdBrowseDestination_Click() {
    m_shared.BrowsingDestination = true;
    showBrowseDialog();
}

void frmMain::showBrowseDialog() { m_browse.show(); }

void frmMain::cmdOK_Click() {
    const QString source = sourcePathCaption();
    const QString destination = destinationPathCaption();
    if (source.isEmpty()) {
        showWarning(kMsgNoSource);
        return;
    }
    if (destination.isEmpty()) {
        showWarning(kMsgNoDestination);
        return;
    }
    if (!m_shared.EditingItem) {
        if (!m_model->append(source, destination, m_shared.AddingFile)) {
            // The entry stays open, so the user can delete after Cancel and try again.
            showWarning(kMsgListFull);
            return;
        }
    } else {
        m_model->replace(m_editedRow, source, destination);
    }
    m_shared.EditingItem = false;
    Mode1();
}

void frmMain::cmdCancel_Click() {
    m_shared.EditingItem = false;
    Mode1();
}

void frmMain::setSourcePathCaption(const QString& path) {
    m_lblSourcePath->setText(path);
    m_lblSourcePath->setAccessibleName(m_lblSourcePathLabel->text() + QLatin1Char(' ') +
                                       (path.isEmpty() ? kNoneChosen : ShownName(path)));
}

void frmMain::setDestinationPathCaption(const QString& path) {
    m_lblDestinationPath->setText(path);
    m_lblDestinationPath->setAccessibleName(m_lblDestinationPathLabel->text() + QLatin1Char(' ') +
                                            (path.isEmpty() ? kNoneChosen : ShownName(path)));
}

QString frmMain::sourcePathCaption() const { return m_lblSourcePath->text(); }

QString frmMain::destinationPathCaption() const { return m_lblDestinationPath->text(); }

// --- Run control ------------------------------------------------------------

void frmMain::cmdStart_Click() { m_run.Start(); }

void frmMain::cmdStop_Click() { m_run.Stop(); }

void frmMain::tmrTimer_Timer() { m_runner.tmrTimer_Timer(); }

std::string frmMain::intervalText() const { return m_txtTimeInterval->text().toStdString(); }

void frmMain::setStatus(const std::string& text) {
    const QString value = QString::fromStdString(text);
    m_lblStatus->setText(value);
    m_lblStatus->adjustSize();
    m_lblStatus->setAccessibleName(m_lblStatusLabel->text() + QLatin1Char(' ') + value);
}

void frmMain::setStartEnabled(bool enabled) { m_cmdStart->setEnabled(enabled); }

void frmMain::setStopEnabled(bool enabled) { m_cmdStop->setEnabled(enabled); }

void frmMain::focusStop() { m_cmdStop->setFocus(); }

void frmMain::focusInterval() { m_txtTimeInterval->setFocus(); }

void frmMain::setInterval(int milliseconds) { m_tmrTimer->setInterval(milliseconds); }

int frmMain::interval() const { return m_tmrTimer->interval(); }

void frmMain::start() { m_tmrTimer->start(); }

void frmMain::stop() { m_tmrTimer->stop(); }

bool frmMain::isActive() const { return m_tmrTimer->isActive(); }

void frmMain::setBusy(bool busy) {
    if (busy == m_busy) return;
    m_busy = busy;
    // The window answers while a pass copies: the pointer says "working",
    // not "wait".
    if (busy) QApplication::setOverrideCursor(Qt::BusyCursor);
    else QApplication::restoreOverrideCursor();
}

void frmMain::post(std::function<void()> call) {
    // Queued to this window: dropped with it if it is gone first.
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

// --- Messages ---------------------------------------------------------------

void frmMain::showWarning(const QString& text) {
    QMessageBox box(QMessageBox::Warning, kTitleText, text, QMessageBox::Ok, this);
    KeepCloseBoxOnly(box);
    box.exec();
}

void frmMain::warn(const std::string& text) { showWarning(ShownText(text)); }

UserPrompt::Answer frmMain::askRetryCancel(const std::string& text) {
    if (m_exiting) return Answer::Cancel;
    QMessageBox box(QMessageBox::Warning, kTitleText, ShownText(text),
                    QMessageBox::Retry | QMessageBox::Cancel, this);
    KeepCloseBoxOnly(box);
    box.setDefaultButton(QMessageBox::Retry);
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == box.button(QMessageBox::Retry) ? Answer::Retry : Answer::Cancel;
}

// --- Menu and keys ----------------------------------------------------------

void frmMain::mnuFileExit_Click() {
    if (m_exiting) return;
    m_exiting = true;
    m_tmrTimer->stop();
    m_runner.stopPass();
    if (m_exitAction) m_exitAction();
}

void frmMain::mnuHelpInstructions_Click() { frmInstructions::showModal(this); }

void frmMain::mnuHelpAbout_Click() { frmAbout::showSingle(); }

void frmMain::closeEvent(QCloseEvent* event) {
    // Closing the window is Exit: no question, no Stop, no further pass.
    mnuFileExit_Click();
    event->accept();
}

bool frmMain::handleDefaultKeys(QObject* target, QKeyEvent* event) {
    if (event->modifiers() & ~Qt::KeypadModifier) return false;
    switch (event->key()) {
    case Qt::Key_Escape:
        if (m_cmdStop->isEnabled()) m_cmdStop->click();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A focused button other than Start takes Enter for itself.
        if (auto* button = qobject_cast<QPushButton*>(target); button && button != m_cmdStart) {
            if (button->isEnabled()) button->click();
            return true;
        }
        if (m_cmdStart->isEnabled()) m_cmdStart->click();
        return true;
    default:
        return false;
    }
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && handleDefaultKeys(watched, static_cast<QKeyEvent*>(event)))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::keyPressEvent(QKeyEvent* event) {
    if (handleDefaultKeys(this, event)) return;
    QMainWindow::keyPressEvent(event);
}

int ExecUntilExit(frmMain& window) {
    const int code = QApplication::exec();
    if (window.passRunner().passRunning()) {
        // Destroying the window would wait for the blocked call; whatever the
        // pass was writing is under a temporary name, never the copy's.
        std::fflush(nullptr);
        std::_Exit(code);
    }
    return code;
}

}  // namespace orvalen::ui
