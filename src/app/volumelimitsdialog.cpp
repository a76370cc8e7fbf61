#include "volumelimitsdialog.h"

#include <ceilings.h>
#include <controltable.h>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QMessageBox>
#include <QSpinBox>
#include <QVBoxLayout>

VolumeLimitsDialog::VolumeLimitsDialog(QWidget *root, QWidget *parent)
    : QDialog(parent)
    , rootWidget(root)
{
    setWindowTitle(tr("Volume Limits"));
    setMinimumWidth(2 * fontMetrics().horizontalAdvance(windowTitle()));
    layout = new QVBoxLayout(this);
    auto *explanation = new QLabel(tr("No way in, not even a preset or a script, takes a level above its limit."), this);
    explanation->setWordWrap(true);
    layout->addWidget(explanation);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    followPanel();
}

void VolumeLimitsDialog::followPanel()
{
    controls::ControlTable *shown = controls::shownTable(rootWidget);
    if (rows && shown == table)
        return;
    table = shown;
    delete rows;
    rows = new QWidget(this);
    auto *form = new QFormLayout(rows);
    form->setContentsMargins(0, 0, 0, 0);
    layout->insertWidget(1, rows);
    if (!table) {
        form->addRow(new QLabel(tr("声卡未连接！"), rows));
        return;
    }
    for (const controls::Control &control : table->controls()) {
        if (!control.takesCeiling())
            continue;
        const QString name = control.label();
        auto *limited = new QCheckBox(name, rows);
        auto *ceiling = new QSpinBox(rows);
        ceiling->setRange(control.minimum(), control.maximum());
        ceiling->setSuffix(QStringLiteral(" dB"));
        // Typed digits pass through values nobody meant; the limit is set when the number is whole.
        ceiling->setKeyboardTracking(false);
        ceiling->setAccessibleName(tr("%1 limit").arg(name));
        limited->setChecked(control.ceiling().has_value());
        ceiling->setValue(control.ceiling().value_or(control.maximum()));
        ceiling->setEnabled(limited->isChecked());
        const QString key = control.name();
        connect(limited, &QCheckBox::toggled, this, [this, key, ceiling](bool on) {
            ceiling->setEnabled(on);
            setLimit(key, on ? QString::number(ceiling->value()) : QStringLiteral("none"));
        });
        connect(ceiling, &QSpinBox::valueChanged, this,
                [this, key](int value) { setLimit(key, QString::number(value)); });
        form->addRow(limited, ceiling);
        if (const std::optional<answers::Sentence> damaged = controls::damagedCeilingNote(*table, control)) {
            // Found by its control's name and tied to its check box, which
            // a screen reader describes with it, until the limit is set again.
            auto *note = new QLabel(damaged->translated(), rows);
            note->setObjectName(key);
            note->setWordWrap(true);
            note->setBuddy(limited);
            limited->setAccessibleDescription(damaged->translated());
            form->addRow(note);
        }
    }
}

void VolumeLimitsDialog::setLimit(const QString &key, const QString &text)
{
    const controls::Control *control = table ? table->find(key) : nullptr;
    if (!control)
        return;
    const std::optional<controls::CeilingRefusal> refused = controls::setCeiling(*table, *control, text);
    QLabel *damaged = rows->findChild<QLabel *>(key);
    if (damaged && !controls::damagedCeilingNote(*table, *control)) {
        damaged->buddy()->setAccessibleDescription(QString());
        damaged->hide();
    }
    if (refused)
        QMessageBox::warning(this, windowTitle(), refused->text.translated());
}
