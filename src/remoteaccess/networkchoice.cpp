#include "networkchoice.h"

#include <accessibility.h>
#include <localnetworks.h>

#include <QComboBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>

namespace remoteaccess {

namespace {

// The item's data: a network's text, none for this computer only.
const QString kOther = QStringLiteral("other");

} // namespace

NetworkChoice::NetworkChoice(const QString &labelText, QWidget *parent)
    : QWidget(parent)
    , combo(new accessibility::ComboBox(this))
{
    auto *label = new QLabel(labelText, this);
    label->setBuddy(combo);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label);
    layout->addWidget(combo, 1);
    connect(combo, &QComboBox::activated, this, &NetworkChoice::choose);
}

void NetworkChoice::showChoice(const std::optional<surface::Network> &allowed)
{
    shown = allowed;
    const QSignalBlocker quiet(combo);
    combo->clear();
    combo->addItem(tr("This computer only"), QString());
    for (const surface::LocalNetwork &local : surface::localNetworks())
        combo->addItem(tr("%1 — %2").arg(local.interfaceName, surface::networkText(local.network)),
                       surface::networkText(local.network));
    if (allowed) {
        const QString text = surface::networkText(*allowed);
        if (combo->findData(text) < 0)
            combo->addItem(tr("%1 (typed by hand)").arg(text), text);
        combo->setCurrentIndex(combo->findData(text));
    }
    combo->addItem(tr("Other..."), kOther);
    // Filled quietly, so the description that follows the choice is set here.
    combo->setAccessibleDescription(combo->currentText());
}

void NetworkChoice::choose(int index)
{
    const QString data = combo->itemData(index).toString();
    if (data == kOther)
        return chooseOther();
    if (data.isEmpty())
        return emit chosen(std::nullopt);
    emit chosen(surface::parseNetwork(data));
}

void NetworkChoice::chooseOther()
{
    bool ok = false;
    const QString text = QInputDialog::getText(
            this, tr("Other Network"),
            tr("A network, as an address and its bits: 192.168.1.0/24 (at most a /16, or a /64 for IPv6):"),
            QLineEdit::Normal, shown ? surface::networkText(*shown) : QString(), &ok)
                                 .trimmed();
    const std::optional<surface::Network> network = surface::parseNetwork(text);
    if (ok && network)
        return emit chosen(network);
    if (ok)
        QMessageBox::warning(this, tr("Other Network"),
                             tr("\"%1\" is not a network: give an address and its bits, 192.168.1.0/24 "
                                "(at most a /16, or a /64 for IPv6).")
                                     .arg(text));
    showChoice(shown);
}

} // namespace remoteaccess
