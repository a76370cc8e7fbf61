#include "phoneremotedialog.h"

#include "pairedphones.h"
#include "phoneserver.h"
#include "qrimage.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace phone {

namespace {
constexpr int kQrScale = 6;
}

PhoneRemoteDialog::PhoneRemoteDialog(PhoneServer &phoneServer, PairedPhones &pairedPhones, QWidget *parent)
    : QDialog(parent)
    , server(phoneServer)
    , phones(pairedPhones)
    , onBox(new QCheckBox(tr("Serve the panel to phones on the allowed network"), this))
    , addressLabel(new QLabel(this))
    , qrLabel(new QLabel(this))
    , codeLabel(new QLabel(this))
    , phoneList(new QListWidget(this))
    , forgetButton(new QPushButton(tr("&Forget Phone"), this))
{
    setWindowTitle(tr("Phone Remote"));
    addressLabel->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    addressLabel->setFocusPolicy(Qt::StrongFocus);
    codeLabel->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    codeLabel->setFocusPolicy(Qt::StrongFocus);
    qrLabel->setAlignment(Qt::AlignCenter);
    auto *phonesLabel = new QLabel(tr("&Paired phones:"), this);
    phonesLabel->setBuddy(phoneList);
    phoneList->setAccessibleName(tr("Paired phones"));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *forgetRow = new QHBoxLayout;
    forgetRow->addStretch();
    forgetRow->addWidget(forgetButton);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(onBox);
    layout->addWidget(addressLabel);
    layout->addWidget(qrLabel);
    layout->addWidget(codeLabel);
    layout->addWidget(phonesLabel);
    layout->addWidget(phoneList);
    layout->addLayout(forgetRow);
    layout->addWidget(buttons);

    connect(onBox, &QCheckBox::clicked, this, &PhoneRemoteDialog::switchWanted);
    connect(&server, &PhoneServer::switched, this, &PhoneRemoteDialog::showState);
    connect(&server.pairingCode(), &PairingCode::changed, this, &PhoneRemoteDialog::showState);
    connect(&phones, &PairedPhones::changed, this, &PhoneRemoteDialog::showPhones);
    connect(phoneList, &QListWidget::currentRowChanged, this, [this](int row) { forgetButton->setEnabled(row >= 0); });
    connect(forgetButton, &QPushButton::clicked, this, [this] {
        QListWidgetItem *item = phoneList->currentItem();
        if (item && !phones.forget(item->data(Qt::UserRole).toString()))
            QMessageBox::warning(this, windowTitle(),
                                 tr("The phone is cut off, but the list of paired phones could not be saved: "
                                    "it will be paired again when Korvist Mixer next starts."));
    });
    showState();
    showPhones();
}

void PhoneRemoteDialog::showState()
{
    const bool on = server.isOn();
    onBox->setChecked(on);
    addressLabel->setVisible(on);
    qrLabel->setVisible(on);
    codeLabel->setVisible(on);
    if (!on)
        return;
    addressLabel->setText(tr("Open %1 on the phone, or scan the code.").arg(server.address()));
    const QImage code = qrImage(server.pairingAddress());
    qrLabel->setPixmap(QPixmap::fromImage(code.scaled(code.size() * kQrScale)));
    qrLabel->setAccessibleName(tr("QR code of %1 with the pairing code").arg(server.address()));
    codeLabel->setText(tr("Pairing code: %1 (a new one comes every two minutes)").arg(server.pairingCode().current()));
}

void PhoneRemoteDialog::showPhones()
{
    phoneList->clear();
    for (const PairedPhone &phone : phones.phones()) {
        auto *item = new QListWidgetItem(tr("%1 at %2, last used %3")
                                                 .arg(phone.name, phone.address,
                                                      QLocale().toString(phone.lastUsed.toLocalTime(), QLocale::ShortFormat)),
                                         phoneList);
        item->setData(Qt::UserRole, phone.id);
    }
    forgetButton->setEnabled(phoneList->currentRow() >= 0);
}

PhoneApprovalPrompt::PhoneApprovalPrompt(PhoneServer &phoneServer, QObject *parent)
    : QObject(parent)
    , server(phoneServer)
{
    connect(&server.pairingOfPhones(), &Pairing::approvalWanted, this,
            [this](const QString &request, const QString &address, const QString &browser) {
                auto *box = new QMessageBox(QMessageBox::Question, tr("Allow a Phone?"),
                                            tr("A phone at %1 (%2) sent the pairing code. Allow it to control "
                                               "the mixer from its browser?")
                                                    .arg(address, browser),
                                            QMessageBox::NoButton);
                QPushButton *allow = box->addButton(tr("&Allow"), QMessageBox::AcceptRole);
                QPushButton *deny = box->addButton(tr("&Don't Allow"), QMessageBox::RejectRole);
                box->setDefaultButton(deny);
                box->setEscapeButton(deny);
                box->setAttribute(Qt::WA_DeleteOnClose);
                connect(box, &QMessageBox::finished, this, [this, box, allow, request] {
                    server.pairingOfPhones().approve(request, box->clickedButton() == allow);
                });
                connect(&server.pairingOfPhones(), &Pairing::approvalVoid, box, [box, request](const QString &gone) {
                    if (gone == request)
                        box->close();
                });
                box->show();
                box->raise();
                box->activateWindow();
            });
}

} // namespace phone
