#include "mainwindow.h"

#include "spokenmenu.h"

#include <controltable.h>
#include <interfaceowner.h>
#include <korvistiocontrol.h>
#include <rk1.h>
#include <rk2.h>
#include <rs.h>
#include <session.h>
#include <settings.h>

#include <QAccessible>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDebug>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>

namespace {
constexpr int kDetectIntervalMs = 1000;
constexpr int kPidIntervalMs = 400;
constexpr int kSessionIntervalMs = 1000;
// After a request timed out, detection asks again only this much later: each
// try of a driver that still stalls holds the window for a request's deadline.
constexpr int kAfterStallMs = 10000;
constexpr std::uint32_t kPidFailuresBeforeLoss = 3;
} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    auto *central = new QWidget(this);
    setCentralWidget(central);
    setWindowFlags(Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    detectTimer = new QTimer(this);
    connect(detectTimer, &QTimer::timeout, this, &MainWindow::detectDevice);
    detectTimer->setInterval(kDetectIntervalMs);

    pidTimer = new QTimer(this);
    connect(pidTimer, &QTimer::timeout, this, &MainWindow::pollDevice);
    pidTimer->setInterval(kPidIntervalMs);

    setWindowTitle(QStringLiteral("Korvist Driver"));
    setStyleSheet(QStringLiteral("QMainWindow { background-color: #2c313c; }"));
    const QPixmap icon(QStringLiteral(":/icon/icon.png"));
    if (!icon.isNull())
        setWindowIcon(QIcon(icon));

    menu = new SpokenMenu(this);

    baseLayout = new QVBoxLayout(central);
    baseLayout->setAlignment(Qt::AlignCenter);
    addStatusLabel(QStringLiteral("声卡未连接！"));

    auto *sessionTimer = new QTimer(this);
    connect(sessionTimer, &QTimer::timeout, this, &MainWindow::followSession);
    sessionTimer->start(kSessionIntervalMs);
    detectTimer->start();
    followSession();
}

// Every user's sign-in starts an instance, and the interface is one: only the
// session at the console drives it, and one that comes back to the console
// takes it over with its own state.
void MainWindow::followSession()
{
    const bool background = !platform::sessionIsActive();
    if (background == inBackground)
        return;
    inBackground = background;
    emit atConsoleChanged(!background);
    dropPanel();
    if (background) {
        detectTimer->stop();
        if (settingsDialog)
            settingsDialog->releaseDevice();
        qDebug() << "Interface left to the session at the console.";
        addStatusLabel(tr("声卡正在另一个会话中使用。"));
        return;
    }
    qDebug() << "Session at the console again: taking the interface over.";
    takingOver = true;
    detectTimer->start();
    addStatusLabel(tr("声卡未连接！"));
}

MainWindow::~MainWindow()
{
    delete meterDriver;
    meterDriver = nullptr;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        hide();
        event->ignore();
        return;
    }
    // Without a notification area nothing could bring the window back, and an
    // instance left running unseen would refuse every later start.
    QCoreApplication::exit(0);
}

void MainWindow::setMenuEntries(const QList<QAction *> &entries)
{
    menu->clear();
    menu->addActions(entries);
}

// Shift+F10 and the Menu key, wherever the focus is: not every platform turns
// them into a context menu event.
void MainWindow::keyPressEvent(QKeyEvent *event)
{
    const bool shiftF10 = event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier;
    if (!shiftF10 && event->key() != Qt::Key_Menu) {
        QMainWindow::keyPressEvent(event);
        return;
    }
    const QWidget *at = focusWidget() ? focusWidget() : this;
    openMenu(at->mapToGlobal(at->rect().center()));
}

// What no widget below took: a right click on the panel's background, or on the
// window's while it shows no panel, and the Menu key where the platform makes
// a context menu event of it.
void MainWindow::contextMenuEvent(QContextMenuEvent *event)
{
    openMenu(event->globalPos());
}

void MainWindow::openMenu(const QPoint &globalPosition)
{
    if (!menu->isEmpty())
        menu->popup(globalPosition);
}

void MainWindow::addStatusLabel(const QString &text)
{
    statusLabel = new QLabel(text, this);
    statusLabel->setStyleSheet(QStringLiteral("font-size: 12px; color: white;"));
    baseLayout->addWidget(statusLabel);
}

void MainWindow::clearBaseLayout()
{
    while (QLayoutItem *item = baseLayout->takeAt(0)) {
        if (QWidget *widget = item->widget()) {
            // Out of the window at once, though deleted later: whoever looks for the
            // shown panel meanwhile (a script, a surface) must not find this one.
            widget->setParent(nullptr);
            widget->deleteLater();
        }
        delete item;
    }
    statusLabel = nullptr;
    emit panelChanged();
}

void MainWindow::detectDevice()
{
    // The probe lives for this one step, whichever way it ends.
    const auto probe = std::make_unique<KorvistIoControl>();
    if (!probe->open()) {
        if (settingsDialog)
            settingsDialog->stopMonitor();
        qDebug() << "Failed to connect to driver.";
        return;
    }
    probe->getProductId(productId);
    qDebug() << "Device PID:" << productId;
    detectTimer->setInterval(probe->timedOut() ? kAfterStallMs : kDetectIntervalMs);
    if (productId == 0)
        return;

    clearBaseLayout();
    const std::optional<DeviceModel> model = modelForProductId(productId);
    if (!model) {
        qDebug() << "Unknown device PID:" << productId;
        addStatusLabel(QStringLiteral("未知设备，请检查连接！"));
        return;
    }

    if (!handOffModel(*model))
        return;

    std::uint8_t firmware[10] = {};
    if (!probe->getFirmwareVersion(firmware, sizeof firmware)) {
        qDebug() << "Failed to get firmware version.";
        addStatusLabel(QStringLiteral("获取固件版本失败，请检查连接！"));
        return;
    }
    setWindowTitle(windowTitleFor(*model, firmware));
    // Qt tells screen readers nothing of a new title, and this one says which device is there.
    QAccessibleEvent titleChange(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&titleChange);
    qDebug() << "Device found with PID:" << productId;
    detectTimer->stop();
    startWatch();
}

bool MainWindow::handOffModel(DeviceModel model)
{
    if (settingsDialog) {
        if (!settingsDialog->connectDevice()) {
            // Detection goes on each second; meanwhile the watch notices a loss.
            qDebug() << "Failed to connect to driver in settings window.";
            startWatch();
            return false;
        }
        settingsDialog->applySavedSettings();
    }

    QWidget *panel = nullptr;
    const char *placement = nullptr;
    // A program just started may find the interface as another sign-in left it.
    std::string stampsDistrust;
    if (!takingOver && platform::interfaceDrivenElsewhereLast(&stampsDistrust)) {
        qDebug() << "The interface was last driven in another session: taking it over.";
        takingOver = true;
    }
    if (!stampsDistrust.empty())
        qDebug().noquote() << "Interface stamps not used:" << QString::fromStdString(stampsDistrust);
    const safetygate::Way arrival = takingOver ? safetygate::Way::HandOver : safetygate::Way::PlugIn;
    takingOver = false;
    switch (model) {
    case DeviceModel::RK1:
        panel = new rk1(arrival);
        placement = "Adding rk1 widget to layout.";
        break;
    case DeviceModel::RK2:
        panel = new rk2(arrival);
        placement = "Adding rk2 widget to layout.";
        break;
    case DeviceModel::RS:
        panel = new rs(arrival);
        placement = "Adding rs widget to layout.";
        break;
    }
    platform::markInterfaceDrivenHere();
    panel->setParent(this);
    baseLayout->addWidget(panel);
    emit panelChanged();
    focusFirstControl(panel);
    qDebug() << placement;
    update();
    return true;
}

// A keyboard or screen reader user starts on the panel's first control, not on
// a bare window. Not a keyboard reason: the focus mark waits for the first Tab.
void MainWindow::focusFirstControl(QWidget *panel)
{
    for (QWidget *widget = panel->nextInFocusChain(); panel->isAncestorOf(widget); widget = widget->nextInFocusChain()) {
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->isVisibleTo(panel)) {
            widget->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

void MainWindow::startWatch()
{
    delete meterDriver;
    meterDriver = new KorvistIoControl;
    meterDriver->open();
    // Every watch starts afresh: the failures that ended the previous device
    // must not count against this one. A watch still running (detection retries
    // while the settings dialog cannot connect) keeps counting.
    if (!pidTimer->isActive())
        pidErrorCount = 0;
    pidTimer->start();
}

void MainWindow::pollDevice()
{
    // A panel whose connection stalled can send nothing any more: it goes as a
    // lost device does, and a new one comes with a later detection.
    const controls::ControlTable *table = controls::shownTable(this);
    const bool stalled = meterDriver->timedOut() || (table && table->device()->timedOut());
    if (!stalled && meterDriver->getProductId(productId)) {
        pidErrorCount = 0;
        return;
    }
    if (stalled) {
        qDebug() << "The driver stopped answering: looking for the interface again.";
    } else {
        ++pidErrorCount;
        qDebug() << "Error reading device PID from driver, error count:" << pidErrorCount;
        if (pidErrorCount < kPidFailuresBeforeLoss)
            return;
    }

    dropPanel();
    detectTimer->setInterval(stalled ? kAfterStallMs : kDetectIntervalMs);
    detectTimer->start();
    addStatusLabel(tr("声卡未连接！"));
}

void MainWindow::dropPanel()
{
    pidTimer->stop();
    delete meterDriver;
    meterDriver = nullptr;
    qDebug() << "Meter driver handle deleted.";
    productId = 0;
    clearBaseLayout();
    qDebug() << "Cleared all widgets from base layout.";
}
