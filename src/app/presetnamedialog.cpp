#include "presetnamedialog.h"

#include <presets.h>

#include <QAccessible>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

PresetNameDialog::PresetNameDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Save current as..."));
    // The title bar's font and buttons are the window manager's; twice the
    // title's width in ours leaves room for both, so the title is not cut.
    setMinimumWidth(2 * fontMetrics().horizontalAdvance(windowTitle()));

    field = new QLineEdit(this);
    refusal = new QLabel(this);
    refusal->setWordWrap(true);
    refusal->hide();
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &PresetNameDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PresetNameDialog::reject);

    auto *layout = new QFormLayout(this);
    layout->addRow(tr("Preset name:"), field);
    layout->addRow(QString(), refusal);
    layout->addRow(buttons);
}

QString PresetNameDialog::name() const
{
    return field->text().trimmed();
}

void PresetNameDialog::accept()
{
    const std::optional<answers::Sentence> refused = remote::presets::nameRefusal(name());
    if (!refused) {
        QDialog::accept();
        return;
    }
    refusal->setText(refused->translated());
    refusal->show();
    // A wrapped label's height is not in the layout's minimum: grown by hand, or cut.
    adjustSize();
    field->setAccessibleDescription(refusal->text());
    field->setFocus();
    field->selectAll();
    // The focus never left the field, so a screen reader would say nothing new:
    // it is told the focus entered the reason, and hears that.
    if (QAccessible::isActive()) {
        QAccessibleEvent focus(refusal, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}
