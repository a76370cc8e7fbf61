#include "panelkit.h"

#include <button.h>
#include <controltable.h>
#include <conversions.h>
#include <knob.h>
#include <korvistiocontrol.h>
#include <meterblock.h>
#include <safetygate.h>

#include <QDebug>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace panelkit {

namespace {
constexpr int kFullOutputVolume = 100;
} // namespace

KorvistIoControl *connectPanel(const char *openFailure, std::initializer_list<int> outputChannels)
{
    auto *device = new KorvistIoControl;
    if (!device->open()) {
        qDebug() << openFailure;
        delete device;
        return nullptr;
    }
    bool lastSent = false;
    for (int channel : outputChannels)
        lastSent = device->setOutVolume(channel, kFullOutputVolume);
    if (!lastSent) {
        qDebug() << "Failed to set output volume.";
        delete device;
        return nullptr;
    }
    return device;
}

void detachControls(QWidget *panel)
{
    for (QObject *control : panel->findChildren<QObject *>())
        control->disconnect(panel);
}

QLabel *label(const QString &text, const QString &style, QWidget *parent)
{
    auto *result = new QLabel(text, parent);
    result->setAlignment(Qt::AlignCenter);
    result->setStyleSheet(style);
    return result;
}

QLabel *levelLabel(QWidget *parent)
{
    return label(kInitialLevelText, kLevelStyle, parent);
}

QFrame *separator(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setFixedWidth(1);
    line->setStyleSheet(QStringLiteral("background-color: #555555;"));
    return line;
}

Button *standardButton(const QString &text, const QString &accent, QWidget *parent)
{
    auto *button = new Button(text, parent);
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

Button *outputButton(const QString &text, const QString &accent, QWidget *parent)
{
    Button *button = standardButton(text, accent, parent);
    button->setMinimumHeight(40);
    return button;
}

namespace {
Knob *knob(int minimum, int maximum, QWidget *parent)
{
    auto *result = new Knob(parent);
    result->minimum = minimum;
    result->maximum = maximum;
    result->value = minimum;
    result->textColor = QColor(QStringLiteral("#00ff7f"));
    return result;
}
} // namespace

Knob *largeKnob(int minimum, int maximum, QWidget *parent)
{
    Knob *result = knob(minimum, maximum, parent);
    result->setFixedSize(120, 120);
    return result;
}

Knob *smallKnob(int minimum, int maximum, QWidget *parent)
{
    Knob *result = knob(minimum, maximum, parent);
    result->setFixedSize(70, 70);
    result->arcWidth = 3;
    result->fontSize = 10;
    return result;
}

Knob *volumeKnob(QWidget *parent)
{
    return largeKnob(-80, 6, parent);
}

Knob *gainKnob(int maximum, QWidget *parent)
{
    Knob *result = largeKnob(0, maximum, parent);
    result->arcColor = QColor(QStringLiteral("#f1fa8c"));
    return result;
}

QHBoxLayout *panelLayout(QWidget *panel)
{
    auto *layout = new QHBoxLayout(panel);
    layout->setAlignment(Qt::AlignCenter);
    layout->setContentsMargins(0, 0, 0, 0);
    return layout;
}

QVBoxLayout *inputColumn()
{
    auto *column = new QVBoxLayout;
    column->setContentsMargins(10, 10, 20, 10);
    return column;
}

QVBoxLayout *outputColumn()
{
    auto *column = new QVBoxLayout;
    column->setAlignment(Qt::AlignCenter);
    column->setContentsMargins(20, 10, 10, 10);
    return column;
}

QHBoxLayout *row(std::initializer_list<QWidget *> widgets)
{
    auto *layout = new QHBoxLayout;
    for (QWidget *widget : widgets)
        layout->addWidget(widget);
    return layout;
}

QHBoxLayout *centredRow(std::initializer_list<QWidget *> widgets)
{
    QHBoxLayout *layout = row(widgets);
    layout->setAlignment(Qt::AlignCenter);
    return layout;
}

QVBoxLayout *centredColumn(std::initializer_list<QWidget *> widgets)
{
    auto *layout = new QVBoxLayout;
    layout->setAlignment(Qt::AlignCenter);
    for (QWidget *widget : widgets)
        layout->addWidget(widget);
    return layout;
}

QHBoxLayout *phoneRow(Knob *knob, QLabel *level, const QString &caption, QWidget *parent)
{
    QHBoxLayout *layout = centredRow({knob});
    layout->setSpacing(8);
    layout->addLayout(centredColumn({level, label(caption, kSmallCaptionStyle, parent)}));
    return layout;
}

void restoreSavedState(const controls::ControlTable &table, safetygate::Way arrival)
{
    for (const answers::Sentence &note : safetygate::replay(table, safetygate::savedTargets(table), arrival))
        qDebug().noquote() << note.english();
    qDebug() << "已从配置文件加载控件状态";
}

int effectiveLevel(int dB, bool muted, bool dimmed)
{
    if (muted)
        return -80;
    return dimmed ? dB - 20 : dB;
}

std::int32_t meanLevel(std::int32_t a, std::int32_t b)
{
    return std::int32_t((std::int64_t(a) + std::int64_t(b)) / 2);
}

QString levelText(std::int32_t level)
{
    return QString::number(levelToDb(level), 'f', 1) + QStringLiteral(" dB");
}

std::function<std::int32_t(const MeterBlock &)> channelLevel(int channel)
{
    return [channel](const MeterBlock &meters) { return meters.level[channel]; };
}

std::function<std::int32_t(const MeterBlock &)> phoneLevel()
{
    return [](const MeterBlock &meters) { return meanLevel(meters.level[2], meters.level[3]); };
}

} // namespace panelkit
