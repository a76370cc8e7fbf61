#include "phoneapprovalprompt.h"

#include "phoneserver.h"

#include <QMessageBox>
#include <QPushButton>

namespace phone {

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
