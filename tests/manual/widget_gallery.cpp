// Knobs and buttons set up the way the panels set them up, to try the gestures by hand.
#include "button.h"
#include "knob.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

namespace {

Knob* largeKnob(int minimum, int maximum, QWidget* parent)
{
    auto* knob = new Knob(parent);
    knob->setFixedSize(120, 120);
    knob->minimum = minimum;
    knob->maximum = maximum;
    knob->value = minimum;
    knob->textColor = QColor(QStringLiteral("#00ff7f"));
    return knob;
}

Button* standardButton(const QString& text, const QString& accent, QWidget* parent)
{
    auto* button = new Button(text, parent);
    button->setFixedWidth(80);
    button->activeTextColor = accent;
    button->shadowColor = accent;
    button->textColor = QStringLiteral("#8a95aa");
    button->activeBackground = QStringLiteral("#1b1e23");
    button->background = QStringLiteral("#1b1e23");
    button->borderRadius = 3;
    button->updateStyle();
    return button;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Korvist widget gallery"));
    window.setStyleSheet(QStringLiteral("background-color: #2c313c; color: #8a95aa;"));
    auto* status = new QLabel(QStringLiteral("Drag, wheel, Control+click or double-click a control"));

    Knob* gain = largeKnob(0, 42, &window);
    gain->arcColor = QColor(QStringLiteral("#f1fa8c"));
    Knob* volume = largeKnob(-80, 6, &window);
    Knob* small = largeKnob(-80, 6, &window);
    small->setFixedSize(70, 70);
    small->arcWidth = 3;
    small->fontSize = 10;
    Knob* rk2Gain = largeKnob(0, 56, &window);
    rk2Gain->arcColor = QColor(QStringLiteral("#f1fa8c"));
    rk2Gain->displayOffset = 9;

    auto* knobs = new QHBoxLayout;
    const QList<QPair<QString, Knob*>> namedKnobs = {
        {QStringLiteral("gain"), gain},
        {QStringLiteral("volume"), volume},
        {QStringLiteral("small"), small},
        {QStringLiteral("RK2 gain"), rk2Gain},
    };
    for (const auto& [name, knob] : namedKnobs) {
        knobs->addWidget(knob);
        QObject::connect(knob, &Knob::valueChangedSig, status, [status, name](int value) {
            status->setText(QStringLiteral("%1: valueChangedSig(%2)").arg(name).arg(value));
        });
    }

    auto* buttons = new QHBoxLayout;
    const QList<QPair<QString, QString>> accents = {
        {QStringLiteral("48V"), QStringLiteral("#00ff7f")},
        {QStringLiteral("PAD"), QStringLiteral("#ff7f00")},
        {QStringLiteral("MUTE"), QStringLiteral("#ff1111")},
        {QStringLiteral("DIM"), QStringLiteral("#00FFFF")},
    };
    for (const auto& [text, accent] : accents) {
        Button* button = standardButton(text, accent, &window);
        if (text == QLatin1String("MUTE") || text == QLatin1String("DIM"))
            button->setMinimumHeight(40);
        buttons->addWidget(button);
        QObject::connect(button, &Button::pressed, status, [status, text](bool on) {
            status->setText(QStringLiteral("%1: pressed(%2)").arg(text, on ? "true" : "false"));
        });
    }

    auto* layout = new QVBoxLayout(&window);
    layout->addLayout(knobs);
    layout->addLayout(buttons);
    layout->addWidget(status);

    volume->setValue(-20);
    rk2Gain->setValue(1);
    window.show();
    return app.exec();
}
