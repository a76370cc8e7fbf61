#include "connectednow.h"

#include <phoneservice.h>
#include <surfaceserver.h>

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>

namespace remoteaccess {

namespace {

enum Role { PeerHost = Qt::UserRole, PeerPort, PhoneId };

QString when(const QDateTime &time)
{
    return time.isValid() ? QLocale().toString(time.toLocalTime(), QLocale::ShortFormat) : QString();
}

QTreeWidget *list(const QString &name, const QStringList &columns, QWidget *parent)
{
    auto *tree = new QTreeWidget(parent);
    tree->setRootIsDecorated(false);
    tree->setAllColumnsShowFocus(true);
    tree->setHeaderLabels(columns);
    tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tree->setAccessibleName(name);
    return tree;
}

// The list's rows, made to number count: changing their texts afterwards
// keeps the current row where it was.
void keepRows(QTreeWidget *tree, int count)
{
    while (tree->topLevelItemCount() > count)
        delete tree->takeTopLevelItem(tree->topLevelItemCount() - 1);
    while (tree->topLevelItemCount() < count)
        tree->addTopLevelItem(new QTreeWidgetItem);
}

void setTexts(QTreeWidgetItem *item, const QStringList &texts)
{
    for (int column = 0; column < texts.size(); ++column)
        if (item->text(column) != texts[column])
            item->setText(column, texts[column]);
}

} // namespace

ConnectedNow::ConnectedNow(surface::SurfaceServer &surfaceServer, phone::PhoneService &phoneService, QWidget *parent)
    : QWidget(parent)
    , surfaces(surfaceServer)
    , phones(phoneService)
    , surfaceList(list(tr("Control surfaces"), {tr("Address"), tr("Port"), tr("Asked for"), tr("Last heard")}, this))
    , phoneList(list(tr("Paired phones"),
                     {tr("Browser"), tr("Address"), tr("Paired on"), tr("Last used"), tr("Connected now")}, this))
    , disconnectButton(new QPushButton(tr("&Disconnect"), this))
    , forgetButton(new QPushButton(tr("&Forget Phone"), this))
{
    auto *surfacesLabel = new QLabel(tr("Control &surfaces:"), this);
    surfacesLabel->setBuddy(surfaceList);
    auto *phonesLabel = new QLabel(tr("&Paired phones:"), this);
    phonesLabel->setBuddy(phoneList);
    auto *layout = new QGridLayout(this);
    layout->addWidget(surfacesLabel, 0, 0);
    layout->addWidget(surfaceList, 1, 0);
    layout->addWidget(disconnectButton, 1, 1, Qt::AlignTop);
    layout->addWidget(phonesLabel, 2, 0);
    layout->addWidget(phoneList, 3, 0);
    layout->addWidget(forgetButton, 3, 1, Qt::AlignTop);

    connect(disconnectButton, &QPushButton::clicked, this, &ConnectedNow::disconnectSurface);
    connect(forgetButton, &QPushButton::clicked, this, &ConnectedNow::forgetPhone);
    connect(surfaceList, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *item) { disconnectButton->setEnabled(item != nullptr); });
    connect(phoneList, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *item) { forgetButton->setEnabled(item != nullptr); });
    connect(&phones.pairedPhones(), &phone::PairedPhones::changed, this, &ConnectedNow::showPhones);
    connect(&phones.phoneServer(), &phone::PhoneServer::joined, this, &ConnectedNow::showPhones);
    connect(&phones.phoneServer(), &phone::PhoneServer::left, this, &ConnectedNow::showPhones);
    // "Last heard" moves on by itself, and a surface's lease lapses unannounced.
    auto *ticks = new QTimer(this);
    connect(ticks, &QTimer::timeout, this, &ConnectedNow::showSurfaces);
    ticks->start(1000);
    refresh();
}

void ConnectedNow::refresh()
{
    showSurfaces();
    showPhones();
}

void ConnectedNow::showSurfaces()
{
    const QList<surface::Subscribers::Subscription> subscriptions = surfaces.subscriptions();
    keepRows(surfaceList, int(subscriptions.size()));
    for (int row = 0; row < subscriptions.size(); ++row) {
        const surface::Subscribers::Subscription &subscription = subscriptions[row];
        QTreeWidgetItem *item = surfaceList->topLevelItem(row);
        setTexts(item, {subscription.peer.host.toString(), QString::number(subscription.peer.port),
                        subscription.meterRate > 0 ? tr("every change, levels %1 a second").arg(subscription.meterRate)
                                                   : tr("every change"),
                        QLocale().toString(subscription.lastHeard.time(), QLocale::LongFormat)});
        item->setData(0, PeerHost, subscription.peer.host.toString());
        item->setData(0, PeerPort, subscription.peer.port);
    }
    disconnectButton->setEnabled(surfaceList->currentItem() != nullptr);
}

void ConnectedNow::showPhones()
{
    const QList<phone::PairedPhone> paired = phones.pairedPhones().phones();
    const QSet<QString> connected = phones.phoneServer().connectedPhones();
    keepRows(phoneList, int(paired.size()));
    for (int row = 0; row < paired.size(); ++row) {
        const phone::PairedPhone &phone = paired[row];
        // Two phones of one make and browser read alike: the start of each one's own name tells them apart.
        const bool namesake = std::count_if(paired.cbegin(), paired.cend(),
                                            [&phone](const phone::PairedPhone &other) { return other.name == phone.name; })
                            > 1;
        QTreeWidgetItem *item = phoneList->topLevelItem(row);
        setTexts(item, {namesake ? tr("%1 (%2)").arg(phone.name, phone.id.left(4)) : phone.name, phone.address,
                        when(phone.pairedOn), when(phone.lastUsed), connected.contains(phone.id) ? tr("yes") : tr("no")});
        item->setData(0, PhoneId, phone.id);
    }
    forgetButton->setEnabled(phoneList->currentItem() != nullptr);
}

void ConnectedNow::disconnectSurface()
{
    const QTreeWidgetItem *item = surfaceList->currentItem();
    if (!item)
        return;
    surfaces.dropSubscription(QHostAddress(item->data(0, PeerHost).toString()), quint16(item->data(0, PeerPort).toUInt()));
    showSurfaces();
}

void ConnectedNow::forgetPhone()
{
    const QTreeWidgetItem *item = phoneList->currentItem();
    if (item && !phones.pairedPhones().forget(item->data(0, PhoneId).toString()))
        QMessageBox::warning(this, window()->windowTitle(),
                             tr("The phone is cut off, but the list of paired phones could not be saved: "
                                "it will be paired again when Korvist Mixer next starts."));
}

} // namespace remoteaccess
