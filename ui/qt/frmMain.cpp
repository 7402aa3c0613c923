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
#include "ui/logic/Layout.h"
#include "ui/logic/WindowTexts.h"
#include "ui/qt/AppIcon.h"
#include "ui/qt/FileSystemText.h"
#include "ui/qt/ItemListModel.h"
#include "ui/qt/ListBoxAccessible.h"
#include "ui/qt/PathLabel.h"
#include "ui/qt/TitleBarButtons.h"
#include "ui/qt/WindowLayout.h"
#include "ui/qt/frmAbout.h"
#include "ui/qt/frmInstructions.h"

namespace orvalen::ui {

namespace {

const QString kTitleText = QString::fromLatin1(kTitle);


const ControlBox& box(std::string_view name) { return MainWindowLayout().at(name); }

QPushButton* makeButton(std::string_view name, QWidget* parent) {
    const ControlBox& b = box(name);
    auto* button = new QPushButton(Utf8Text(b.caption), parent);
    button->setObjectName(Utf8Text(name));
    button->setToolTip(Utf8Text(b.tip));
    button->setAccessibleName(button->text());
    button->setAccessibleDescription(button->toolTip());
    // Enter is dealt with by the window, as a dialog would.
    button->setAutoDefault(false);
    return button;
}

QLabel* makeLabel(std::string_view name, QWidget* parent) {
    auto* label = new QLabel(Utf8Text(box(name).caption), parent);
    label->setObjectName(Utf8Text(name));
    label->setTextFormat(Qt::PlainText);
    label->setAccessibleName(label->text());
    return label;
}

QGroupBox* makeFrame(const QString& name, const QString& accessibleName, QWidget* parent) {
    auto* frame = new QGroupBox(parent);
    frame->setObjectName(name);
    frame->setAccessibleName(accessibleName);
    return frame;
}

}  // namespace

frmMain::frmMain(mdlMain& shared, QWidget* parent,
                 BrowseLauncher::VolumeSourceFactory makeVolumes)
    : QMainWindow(parent, CloseBoxOnlyFlags(Qt::Window)),
      m_model(new ItemListModel(shared.Items, this)),
      m_prompt(this),
      m_timer(this, kInitialIntervalMs),
      m_run(shared.Items, static_cast<RunView&>(*this), m_timer, m_prompt),
      m_runner(shared, m_prompt, m_run, static_cast<WindowThread&>(*this)),
      m_browse(shared, static_cast<PathFields&>(*this), std::move(makeVolumes)),
      m_editor(shared, static_cast<MainWindowView&>(*this)),
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
    m_runner.setBusyIndicator(&m_busy);
    connect(m_timer.timer(), &QTimer::timeout, this, &frmMain::tmrTimer_Timer);

    buildMenu();
    buildControls();
    applyGeometry();
    describeForAccessibility();
    setTabOrder();

    // The initial state is list mode with an empty list.
    Mode1();
    m_lstSource->setFocus();
}

frmMain::~frmMain() = default;

void frmMain::buildMenu() {
    std::map<std::string_view, QMenu*> menus;
    for (const MenuEntry& entry : kMainMenu) {
        if (entry.menu.empty()) {
            QMenu* menu = menuBar()->addMenu(Utf8Text(entry.caption));
            menu->setObjectName(Utf8Text(entry.name));
            menu->setAccessibleName(menu->title().remove(QLatin1Char('&')));
            menus[entry.name] = menu;
            continue;
        }
        QMenu* menu = menus.at(entry.menu);
        QAction* action = entry.caption == "-" ? menu->addSeparator() : menu->addAction(Utf8Text(entry.caption));
        action->setObjectName(Utf8Text(entry.name));
        if (!entry.shortcut.empty()) action->setShortcut(QKeySequence(Utf8Text(entry.shortcut)));
        if (!action->isSeparator()) action->setToolTip(action->text().remove(QLatin1Char('&')));
    }
    const auto connectAction = [this](const char* name, void (frmMain::*slot)()) {
        connect(findChild<QAction*>(QLatin1String(name)), &QAction::triggered, this, slot);
    };
    connectAction("mnuFileExit", &frmMain::mnuFileExit_Click);
    connectAction("mnuHelpInstructions", &frmMain::mnuHelpInstructions_Click);
    connectAction("mnuHelpAbout", &frmMain::mnuHelpAbout_Click);

    // A menu bar that folds away would hide the mnemonics.
    menuBar()->setNativeMenuBar(false);
}

void frmMain::buildControls() {
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("frmMainClient"));
    setCentralWidget(m_client);

    QGroupBox* fraMode1 = makeFrame(QStringLiteral("fraMode1"), QStringLiteral("Item list"), m_client);
    QLabel* sourceListLabel = makeLabel("lblSourceListLabel", fraMode1);
    QLabel* destinationListLabel = makeLabel("lblDestinationListLabel", fraMode1);
    m_lstSource = MakeItemListView(QStringLiteral("lstSource"), QStringLiteral("Sources"), ItemListModel::SourceColumn,
                           m_model, fraMode1);
    QListView* lstDestination = MakeItemListView(QStringLiteral("lstDestination"), QStringLiteral("Destinations"),
                                         ItemListModel::DestinationColumn, m_model, fraMode1);
    sourceListLabel->setBuddy(m_lstSource);
    destinationListLabel->setBuddy(lstDestination);
    button(MainButton::cmdAddFile) = makeButton("cmdAddFile", fraMode1);
    button(MainButton::cmdAddFolder) = makeButton("cmdAddFolder", fraMode1);
    button(MainButton::cmdEditItem) = makeButton("cmdEditItem", fraMode1);
    button(MainButton::cmdDeleteItem) = makeButton("cmdDeleteItem", fraMode1);

    QGroupBox* fraMode2 = makeFrame(QStringLiteral("fraMode2"), QStringLiteral("Item entry"), m_client);
    m_lblSourcePathLabel = makeLabel("lblSourcePathLabel", fraMode2);
    m_lblSourcePath = new PathLabel(fraMode2);
    m_lblSourcePath->setObjectName(QStringLiteral("lblSourcePath"));
    button(MainButton::cmdBrowseSource) = makeButton("cmdBrowseSource", fraMode2);
    m_lblDestinationPathLabel = makeLabel("lblDestinationPathLabel", fraMode2);
    m_lblDestinationPath = new PathLabel(fraMode2);
    m_lblDestinationPath->setObjectName(QStringLiteral("lblDestinationPath"));
    button(MainButton::cmdBrowseDestination) = makeButton("cmdBrowseDestination", fraMode2);
    button(MainButton::cmdOK) = makeButton("cmdOK", fraMode2);
    button(MainButton::cmdCancel) = makeButton("cmdCancel", fraMode2);

    QGroupBox* fraRun = makeFrame(QStringLiteral("fraRun"), QStringLiteral("Run"), m_client);
    button(MainButton::cmdStart) = makeButton("cmdStart", fraRun);
    m_txtTimeInterval = new QLineEdit(Utf8Text(box("txtTimeInterval").caption), fraRun);
    m_txtTimeInterval->setObjectName(QStringLiteral("txtTimeInterval"));
    button(MainButton::cmdStop) = makeButton("cmdStop", fraRun);
    makeLabel("lblIntervalLabel", fraRun)->setBuddy(m_txtTimeInterval);
    m_lblStatus = makeLabel("lblStatus", fraRun);
    m_lblStatusLabel = makeLabel("lblStatusLabel", fraRun);

    // The design's initial states; Mode1 leaves these alone while the list is empty.
    for (MainButton b : {MainButton::cmdStart, MainButton::cmdStop, MainButton::cmdEditItem,
                         MainButton::cmdDeleteItem})
        button(b)->setEnabled(false);

    const std::pair<MainButton, void (frmMain::*)()> clicks[] = {
        {MainButton::cmdAddFile, &frmMain::cmdAddFile_Click},
        {MainButton::cmdAddFolder, &frmMain::cmdAddFolder_Click},
        {MainButton::cmdEditItem, &frmMain::cmdEditItem_Click},
        {MainButton::cmdDeleteItem, &frmMain::cmdDeleteItem_Click},
        {MainButton::cmdBrowseSource, &frmMain::cmdBrowseSource_Click},
        {MainButton::cmdBrowseDestination, &frmMain::cmdBrowseDestination_Click},
        {MainButton::cmdOK, &frmMain::cmdOK_Click},
        {MainButton::cmdCancel, &frmMain::cmdCancel_Click},
        {MainButton::cmdStart, &frmMain::cmdStart_Click},
        {MainButton::cmdStop, &frmMain::cmdStop_Click}};
    for (const auto& [which, slot] : clicks) connect(button(which), &QPushButton::clicked, this, slot);

    // Enter and Esc reach the window before the control that has the focus.
    for (QWidget* child : m_client->findChildren<QWidget*>()) child->installEventFilter(this);
}

void frmMain::applyGeometry() {
    LayOutWindow(*m_client, MainWindowLayout());
    // The window takes exactly the menu bar and the client area, and keeps it.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
}

void frmMain::describeForAccessibility() {
    m_txtTimeInterval->setAccessibleName(QStringLiteral("Time interval in seconds"));
    // The value labels are read with their caption and current value.
    setStatus(kStatusReady);
    setSourcePathCaption(QString());
    setDestinationPathCaption(QString());
}

void frmMain::setTabOrder() {
    // The buttons' order is the tab chain's; the lists and the interval sit between.
    std::vector<QWidget*> chain(m_buttons.begin(), m_buttons.end());
    chain.insert(chain.begin() + 1, {m_lstSource, m_client->findChild<QListView*>(QStringLiteral("lstDestination"))});
    chain.insert(chain.end() - 1, m_txtTimeInterval);
    for (std::size_t i = 0; i + 1 < chain.size(); ++i) QWidget::setTabOrder(chain[i], chain[i + 1]);
    for (QGroupBox* frame : m_client->findChildren<QGroupBox*>()) frame->setFocusPolicy(Qt::NoFocus);
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

// --- The editor's fields and list ------------------------------------------

void frmMain::setSourcePathCaption(const QString& path) {
    m_lblSourcePath->setText(path);
    m_lblSourcePath->setAccessibleName(m_lblSourcePathLabel->text() + QLatin1Char(' ') +
                                       (path.isEmpty() ? Utf8Text(kNoneChosen) : ShownName(path)));
}

void frmMain::setDestinationPathCaption(const QString& path) {
    m_lblDestinationPath->setText(path);
    m_lblDestinationPath->setAccessibleName(m_lblDestinationPathLabel->text() + QLatin1Char(' ') +
                                            (path.isEmpty() ? Utf8Text(kNoneChosen) : ShownName(path)));
}

QString frmMain::sourcePathCaption() const { return m_lblSourcePath->text(); }

QString frmMain::destinationPathCaption() const { return m_lblDestinationPath->text(); }

std::string frmMain::sourcePath() const { return NameToFileSystem(sourcePathCaption()); }

std::string frmMain::destinationPath() const { return NameToFileSystem(destinationPathCaption()); }

void frmMain::setSourcePath(const std::string& path) { setSourcePathCaption(NameFromFileSystem(path)); }

void frmMain::setDestinationPath(const std::string& path) { setDestinationPathCaption(NameFromFileSystem(path)); }

void frmMain::setButtonEnabled(MainButton which, bool enabled) { button(which)->setEnabled(enabled); }

int frmMain::rowCount() const { return m_model->rowCount(); }

int frmMain::selectedRow() const { return m_model->selectedRow(); }

bool frmMain::appendItem(const std::string& source, const std::string& destination, bool isFile) {
    return m_model->append(NameFromFileSystem(source), NameFromFileSystem(destination), isFile);
}

void frmMain::replaceItem(int row, const std::string& source, const std::string& destination) {
    m_model->replace(row, NameFromFileSystem(source), NameFromFileSystem(destination));
}

void frmMain::removeItem(int row) { m_model->remove(row); }

// --- Run control ------------------------------------------------------------

std::string frmMain::intervalText() const { return m_txtTimeInterval->text().toStdString(); }

void frmMain::setStatus(const std::string& text) {
    const QString value = QString::fromStdString(text);
    m_lblStatus->setText(value);
    m_lblStatus->adjustSize();
    m_lblStatus->setAccessibleName(m_lblStatusLabel->text() + QLatin1Char(' ') + value);
}

void frmMain::focusStop() { button(MainButton::cmdStop)->setFocus(); }

void frmMain::focusInterval() { m_txtTimeInterval->setFocus(); }

void frmMain::post(std::function<void()> call) {
    // Queued to this window: dropped with it if it is gone first.
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

// --- Menu and keys ----------------------------------------------------------

void frmMain::mnuFileExit_Click() {
    if (m_exiting) return;
    m_exiting = true;
    m_prompt.silence();
    m_timer.stop();
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
    DialogKey key;
    switch (event->key()) {
    case Qt::Key_Escape: key = DialogKey::Escape; break;
    case Qt::Key_Return:
    case Qt::Key_Enter: key = DialogKey::Enter; break;
    default: return false;
    }
    std::optional<MainButton> focused;
    std::array<bool, kMainButtonCount> enabled{};
    for (std::size_t i = 0; i < kMainButtonCount; ++i) {
        enabled[i] = m_buttons[i]->isEnabled();
        if (m_buttons[i] == target) focused = static_cast<MainButton>(i);
    }
    if (const std::optional<MainButton> pressed = DefaultKeyTarget(key, focused, enabled)) button(*pressed)->click();
    return true;
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
