#include "remoteaccessdialog.h"

#include "connectednow.h"
#include "networkchoice.h"

#include <localnetworks.h>
#include <phoneservice.h>
#include <protocol.h>
#include <qrimage.h>
#include <surfaceserver.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QNetworkInterface>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace remoteaccess {

namespace {

constexpr int kQrScale = 5;

QSpinBox *portBox(QWidget *parent)
{
    auto *box = new QSpinBox(parent);
    box->setRange(1, 65535);
    box->setKeyboardTracking(false);
    return box;
}

QHBoxLayout *portRow(const QString &labelText, QSpinBox *port)
{
    auto *label = new QLabel(labelText, port->parentWidget());
    label->setBuddy(port);
    auto *row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(port);
    row->addStretch();
    return row;
}

QLabel *selectableLabel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->setFocusPolicy(Qt::StrongFocus);
    return label;
}

// This computer's address on the allowed network, which a device there types or opens.
std::optional<QHostAddress> reachableAddress(const std::optional<surface::Network> &allowed)
{
    return allowed ? surface::ownAddressIn(*allowed, QNetworkInterface::allAddresses()) : std::nullopt;
}

} // namespace

RemoteAccessDialog::RemoteAccessDialog(surface::SurfaceServer &surfaceServer, phone::PhoneService &phoneService,
                                       QWidget *parent)
    : QDialog(parent)
    , surfaces(surfaceServer)
    , phones(phoneService)
{
    setWindowTitle(tr("Remote Access"));
    // Made in the order Tab goes: the settings in the order they are made,
    // on the left, then who uses them, on the right, then Close.
    auto *settings = new QVBoxLayout;
    settings->addWidget(whoMayConnect());
    settings->addWidget(surfaceSection());
    settings->addWidget(phoneSection());
    settings->addStretch();
    auto *connectedBox = new QGroupBox(tr("Connected now"), this);
    connected = new ConnectedNow(surfaces, phones, connectedBox);
    (new QVBoxLayout(connectedBox))->addWidget(connected);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *columns = new QHBoxLayout;
    columns->addLayout(settings);
    columns->addWidget(connectedBox, 1);
    connectedBox->setMinimumWidth(connectedBox->fontMetrics().averageCharWidth() * 60);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(buttons);

    connect(&surfaces, &surface::SurfaceServer::switched, this, &RemoteAccessDialog::showState);
    connect(&surfaces, &surface::SurfaceServer::allowedChanged, this, &RemoteAccessDialog::showState);
    connect(&phones, &phone::PhoneService::switched, this, &RemoteAccessDialog::showState);
    connect(&phones.phoneServer().pairingCode(), &phone::PairingCode::changed, this, &RemoteAccessDialog::showPhone);
    showState();
}

QWidget *RemoteAccessDialog::whoMayConnect()
{
    auto *box = new QGroupBox(tr("Who may connect"), this);
    networkChoice = new NetworkChoice(tr("&Network:"), box);
    connect(networkChoice, &NetworkChoice::chosen, this, &RemoteAccessDialog::allow);
    auto *note = new QLabel(tr("This computer may always connect. Devices on the chosen network may use the "
                               "control surfaces and the phone remote."),
                            box);
    note->setWordWrap(true);
    auto *layout = new QVBoxLayout(box);
    layout->addWidget(networkChoice);
    layout->addWidget(note);
    return box;
}

QWidget *RemoteAccessDialog::surfaceSection()
{
    auto *box = new QGroupBox(tr("Control surfaces (OSC)"), this);
    surfacesOn = new QCheckBox(tr("Serve &control surfaces"), box);
    surfacePort = portBox(box);
    surfaceAddress = selectableLabel(box);
    copyButton = new QPushButton(tr("C&opy Address"), box);
    connect(surfacesOn, &QCheckBox::clicked, this,
            [this](bool on) { tell(surfaces.serve(on, quint16(surfacePort->value()))); });
    connect(surfacePort, &QSpinBox::valueChanged, this, [this](int port) {
        if (port != surfaces.port())
            tell(surfaces.serve(surfacesOn->isChecked(), quint16(port)));
    });
    connect(copyButton, &QPushButton::clicked, this, [this] {
        if (const std::optional<QHostAddress> own = reachableAddress(surfaces.allowedNetwork()))
            QApplication::clipboard()->setText(own->toString());
    });
    auto *copyRow = new QHBoxLayout;
    copyRow->addWidget(copyButton);
    copyRow->addStretch();
    auto *layout = new QVBoxLayout(box);
    layout->addWidget(surfacesOn);
    layout->addLayout(portRow(tr("UDP &port:"), surfacePort));
    layout->addWidget(surfaceAddress);
    layout->addLayout(copyRow);
    return box;
}

QWidget *RemoteAccessDialog::phoneSection()
{
    auto *box = new QGroupBox(tr("Phone remote"), this);
    phoneOn = new QCheckBox(tr("Serve the panel to p&hones"), box);
    phonePort = portBox(box);
    phoneNeedsNetwork = new QLabel(tr("A phone needs the network it is on: with this computer only, no phone can "
                                      "reach the panel. Choose the network here or above."),
                                   box);
    phoneNeedsNetwork->setWordWrap(true);
    phoneNetworkChoice = new NetworkChoice(tr("Phone's ne&twork:"), box);
    connect(phoneNetworkChoice, &NetworkChoice::chosen, this, &RemoteAccessDialog::allow);
    phoneAddress = selectableLabel(box);
    qrCode = new QLabel(box);
    qrCode->setAlignment(Qt::AlignCenter);
    qrCode->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    pairingCode = selectableLabel(box);
    connect(phoneOn, &QCheckBox::clicked, this,
            [this](bool on) { tell(phones.serve(on, quint16(phonePort->value()))); });
    connect(phonePort, &QSpinBox::valueChanged, this, [this](int port) {
        if (port != phones.port())
            tell(phones.serve(phoneOn->isChecked(), quint16(port)));
    });
    auto *layout = new QVBoxLayout(box);
    layout->addWidget(phoneOn);
    layout->addLayout(portRow(tr("TCP po&rt:"), phonePort));
    layout->addWidget(phoneNeedsNetwork);
    layout->addWidget(phoneNetworkChoice);
    layout->addWidget(phoneAddress);
    layout->addWidget(qrCode, 0, Qt::AlignHCenter);
    layout->addWidget(pairingCode);
    return box;
}

void RemoteAccessDialog::showState()
{
    networkChoice->showChoice(surfaces.allowedNetwork());
    phoneNetworkChoice->showChoice(surfaces.allowedNetwork());
    showSurfaces();
    showPhone();
    connected->refresh();

}

// The QR code and the notes come and go with the choices, and wrapped text
// makes the layout's minimum too small to hold them: each time the layout
// takes in a change, the window grows to show it all.
bool RemoteAccessDialog::event(QEvent *event)
{
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::LayoutRequest)
        resize(size().expandedTo(sizeHint()));
    return handled;
}

void RemoteAccessDialog::showSurfaces()
{
    const QSignalBlocker quietPort(surfacePort);
    surfacesOn->setChecked(surfaces.isOn());
    surfacePort->setValue(surfaces.port());
    const std::optional<QHostAddress> own = reachableAddress(surfaces.allowedNetwork());
    copyButton->setVisible(surfaces.isOn() && own);
    if (!surfaces.isOn())
        surfaceAddress->setText(tr("Off: no surface can connect."));
    else if (own)
        surfaceAddress->setText(tr("Type into the surface app: %1, port %2").arg(own->toString()).arg(surfaces.port()));
    else
        surfaceAddress->setText(tr("Apps on this computer reach it at 127.0.0.1, port %1. For a tablet or phone, "
                                   "choose its network above.")
                                        .arg(surfaces.port()));
}

void RemoteAccessDialog::showPhone()
{
    const QSignalBlocker quietPort(phonePort);
    phoneOn->setChecked(phones.isOn());
    phonePort->setValue(phones.port());
    // A loopback address is of no use to a phone: without a network to reach
    // this computer on, the choice is offered instead of an address.
    const bool reachable = reachableAddress(surfaces.allowedNetwork()).has_value();
    phoneNeedsNetwork->setVisible(!reachable);
    phoneNetworkChoice->setVisible(!reachable);
    const bool serving = phones.isOn() && reachable;
    phoneAddress->setVisible(serving);
    qrCode->setVisible(serving);
    pairingCode->setVisible(serving);
    if (!serving)
        return;
    phone::PhoneServer &server = phones.phoneServer();
    phoneAddress->setText(tr("Open %1 on the phone, or scan the code.").arg(server.address()));
    const QImage code = phone::qrImage(server.pairingAddress());
    qrCode->setPixmap(QPixmap::fromImage(code.scaled(code.size() * kQrScale)));
    qrCode->setFixedSize(qrCode->pixmap().size());
    qrCode->setAccessibleName(tr("QR code of %1 with the pairing code").arg(server.address()));
    pairingCode->setText(tr("Pairing code: %1 (a new one comes every two minutes)").arg(server.pairingCode().current()));
}

void RemoteAccessDialog::allow(const std::optional<surface::Network> &network)
{
    tell(surfaces.allow(network));
}

void RemoteAccessDialog::tell(const remote::Answer &answer)
{
    if (answer.code != remote::Done)
        QMessageBox::warning(this, windowTitle(), answer.text.translated());
    showState();
}

} // namespace remoteaccess
