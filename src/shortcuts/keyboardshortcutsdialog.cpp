#include "keyboardshortcutsdialog.h"

#include "outputs.h"
#include "shortcutservice.h"

#include <controlchange.h>
#include <controltable.h>

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace shortcuts {

namespace {

constexpr int kTallestList = 480;

std::optional<QKeyCombination> keysOf(const Bindings &bindings, const Action &action)
{
    for (const auto &[keys, bound] : bindings)
        if (bound == action)
            return keys;
    return std::nullopt;
}

// Recorded alone, these take the row's key away: no shortcut is a plain key.
bool removes(const QKeySequence &typed)
{
    return typed == QKeySequence(Qt::Key_Backspace) || typed == QKeySequence(Qt::Key_Delete);
}

bool sameActions(const std::vector<OfferedAction> &offered, const std::vector<OfferedAction> &shown)
{
    return std::equal(offered.begin(), offered.end(), shown.begin(), shown.end(),
                      [](const OfferedAction &a, const OfferedAction &b) {
                          return a.action == b.action && a.label == b.label;
                      });
}

} // namespace

KeyboardShortcutsDialog::KeyboardShortcutsDialog(ShortcutService &shortcutService, QWidget *rootWidget,
                                                 QWidget *parent)
    : QDialog(parent)
    , service(shortcutService)
    , root(rootWidget)
{
    setWindowTitle(tr("Keyboard Shortcuts"));
    new QVBoxLayout(this);
    build();
    connect(&service, &ShortcutService::changed, this, &KeyboardShortcutsDialog::follow);
}

// A focused editor ends its editing as QDialog hides the window, after the rows are gone.
KeyboardShortcutsDialog::~KeyboardShortcutsDialog()
{
    for (QKeySequenceEdit *editor : findChildren<QKeySequenceEdit *>())
        disconnect(editor, nullptr, this, nullptr);
}

void KeyboardShortcutsDialog::follow()
{
    const std::vector<OfferedAction> offered = offeredActions(controls::shownTable(root), service.bindings());
    std::vector<OfferedAction> shown;
    for (const Row &row : rows)
        shown.push_back(row.offered);
    if (sameActions(offered, shown))
        showState();
    else
        build();
}

// Everything anew, so that Tab goes through it as it reads. The old content
// may be what sent the change that brought this here: it goes once that is over.
void KeyboardShortcutsDialog::build()
{
    if (content)
        content->deleteLater();
    rows.clear();
    content = new QWidget(this);
    layout()->addWidget(content);
    auto *column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    auto *intro = new QLabel(tr("These keys work while any program has the focus. Each press moves a level one step, "
                                "never past its limit, and no key switches 48 V on. Backspace takes a key away."),
                             content);
    intro->setWordWrap(true);
    column->addWidget(intro);
    const controls::ControlTable *table = controls::shownTable(root);
    if (!table)
        column->addWidget(new QLabel(tr("No interface is connected: its levels and switches are listed here "
                                        "once it is."),
                                     content));

    auto *scroll = new QScrollArea(content);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    auto *list = new QWidget(scroll);
    auto *form = new QFormLayout(list);
    for (const OfferedAction &offered : offeredActions(table, service.bindings())) {
        auto *label = new QLabel(offered.label, list);
        auto *field = new QWidget(list);
        auto *line = new QHBoxLayout(field);
        line->setContentsMargins(0, 0, 0, 0);
        Row row {offered, new QKeySequenceEdit(field), new QLabel(field)};
        row.editor->setClearButtonEnabled(true);
        row.editor->setAccessibleName(offered.label);
        label->setBuddy(row.editor);
        line->addWidget(row.editor);
        line->addWidget(row.status);
        form->addRow(label, field);
        // An editor of rows built over since ends its editing as it goes, and is none of these.
        connect(row.editor, &QKeySequenceEdit::editingFinished, this, [this, editor = row.editor] {
            const auto edited = std::find_if(rows.begin(), rows.end(), [editor](const Row &each) {
                return each.editor == editor;
            });
            if (edited != rows.end())
                record(*edited);
        });
        rows.push_back(row);
    }
    scroll->setWidget(list);
    // Tall enough for a panel's rows without a scroll bar; a long list of presets scrolls.
    scroll->setMinimumHeight(std::min(list->sizeHint().height(), kTallestList));
    column->addWidget(scroll, 1);
    column->addWidget(buildMediaKeys(content));

    otherChanges = new QCheckBox(tr("Show changes from scripts, surfaces and phones on the screen too"), content);
    connect(otherChanges, &QCheckBox::toggled, &service, &ShortcutService::setShowsOtherChanges);
    column->addWidget(otherChanges);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, content);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
    showState();
}

QWidget *KeyboardShortcutsDialog::buildMediaKeys(QWidget *parent)
{
    auto *group = new QGroupBox(tr("Media keys"), parent);
    auto *form = new QFormLayout(group);
    mediaOutput = new QComboBox(group);
    mediaOutput->addItem(tr("Off: they move the system volume"), QString());
    if (const controls::ControlTable *table = controls::shownTable(root))
        for (const controls::Control &control : table->controls())
            if (isLevel(control))
                mediaOutput->addItem(control.label(), control.name());
    const QString chosen = service.mediaKeys().output;
    if (!chosen.isEmpty() && mediaOutput->findData(chosen) < 0)
        mediaOutput->addItem(chosen, chosen);
    mediaStep = new QSpinBox(group);
    mediaStep->setRange(1, remote::kLargestKeyStep);
    mediaStep->setSuffix(QStringLiteral(" dB"));
    mediaStep->setKeyboardTracking(false);
    auto *outputLabel = new QLabel(tr("The volume keys step"), group);
    outputLabel->setBuddy(mediaOutput);
    auto *stepLabel = new QLabel(tr("Each press steps it by"), group);
    stepLabel->setBuddy(mediaStep);
    form->addRow(outputLabel, mediaOutput);
    form->addRow(stepLabel, mediaStep);
    auto *warning = new QLabel(tr("While on, the keyboard's volume keys no longer move the system volume, and the "
                                  "mute key turns the output's MUTE on or off."),
                               group);
    warning->setWordWrap(true);
    form->addRow(warning);
    mediaStatus = new QLabel(group);
    mediaStatus->setWordWrap(true);
    form->addRow(mediaStatus);
    connect(mediaOutput, &QComboBox::activated, this, &KeyboardShortcutsDialog::chooseMediaKeys);
    connect(mediaStep, &QSpinBox::valueChanged, this, &KeyboardShortcutsDialog::chooseMediaKeys);
    return group;
}

void KeyboardShortcutsDialog::showState()
{
    for (const Row &row : rows) {
        const std::optional<QKeyCombination> keys = keysOf(service.bindings(), row.offered.action);
        const QKeySequence sequence = keys ? QKeySequence(*keys) : QKeySequence();
        if (row.editor->keySequence() != sequence)
            row.editor->setKeySequence(sequence);
        const Outcome outcome = keys ? service.outcomeOf(*keys) : Outcome::Registered;
        say(row.status, row.editor,
            outcome == Outcome::Taken         ? tr("Held by another program: not working")
            : outcome == Outcome::Unsupported ? tr("Not held: this desktop lends no keys to a program")
                                              : QString());
    }
    const QSignalBlocker quietOutput(mediaOutput);
    const QSignalBlocker quietStep(mediaStep);
    const QSignalBlocker quietChoice(otherChanges);
    mediaOutput->setCurrentIndex(std::max(0, mediaOutput->findData(service.mediaKeys().output)));
    mediaStep->setValue(service.mediaKeys().step);
    say(mediaStatus, mediaOutput, QString());
    otherChanges->setChecked(service.display().showsOtherChanges());
}

void KeyboardShortcutsDialog::record(const Row &row)
{
    // The service's change may build the rows anew: what is needed of this one is kept first.
    const Action action = row.offered.action;
    const QKeySequence typed = row.editor->keySequence();
    const std::optional<QKeyCombination> before = keysOf(service.bindings(), action);
    remote::Answer answer {remote::Done, QString()};
    if (typed.isEmpty() || removes(typed)) {
        if (before)
            answer = service.bind(*before, std::nullopt);
    } else if (answers::Sentence why; const std::optional<QKeyCombination> keys = parseKeys(keysText(typed[0]), why)) {
        if (keys == before)
            return;
        answer = service.bind(*keys, action);
        if (answer.code == remote::Done && before)
            service.bind(*before, std::nullopt);
    } else {
        answer = {remote::Refused, why};
    }
    showState();
    const auto shown = std::find_if(rows.begin(), rows.end(), [&action](const Row &each) {
        return each.offered.action == action;
    });
    if (answer.code != remote::Done && shown != rows.end())
        say(shown->status, shown->editor, answer.text.translated());
}

void KeyboardShortcutsDialog::chooseMediaKeys()
{
    const remote::Answer answer = service.setMediaKeys({mediaOutput->currentData().toString(), mediaStep->value()});
    showState();
    if (answer.code != remote::Done)
        say(mediaStatus, mediaOutput, answer.text.translated());
}

void KeyboardShortcutsDialog::say(QLabel *status, QWidget *described, const QString &text)
{
    status->setText(text);
    status->setVisible(!text.isEmpty());
    if (described->accessibleDescription() == text)
        return;
    described->setAccessibleDescription(text);
    QAccessibleEvent changed(described, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&changed);
}

} // namespace shortcuts
