// Knobs and buttons set up the way the panels set them up, to try the gestures by hand.
#include <button.h>
#include <knob.h>
#include <panelkit.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Korvist widget gallery"));
    window.setStyleSheet(QStringLiteral("background-color: #2c313c; color: #8a95aa;"));
    auto* status = new QLabel(QStringLiteral("Drag, wheel, Control+click or double-click a control"));

    Knob* gain = panelkit::gainKnob(42, &window);
    Knob* volume = panelkit::largeKnob(-80, 6, &window);
    Knob* small = panelkit::smallKnob(-80, 6, &window);
    Knob* rk2Gain = panelkit::gainKnob(56, &window);
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
        const bool output = text == QLatin1String("MUTE") || text == QLatin1String("DIM");
        Button* button = output ? panelkit::outputButton(text, accent, &window)
                                : panelkit::standardButton(text, accent, &window);
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
