#include "onscreendisplay.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QSystemTrayIcon>

#include <algorithm>
#include <utility>

namespace globalkeys {

namespace {

const QString kMute = QStringLiteral("MUTE");

// Orca speaks a notification as it shows, whatever has the focus; the
// window's name is its title, which holds the whole change.
QAccessibleInterface *notificationInterface(const QString &className, QObject *object)
{
    if (className == QLatin1String("globalkeys::OnScreenDisplay"))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Notification);
    return nullptr;
}

void installNotificationInterface()
{
    static bool installed = false;
    if (!std::exchange(installed, true))
        QAccessible::installFactory(notificationInterface);
}

} // namespace

OnScreenDisplay::OnScreenDisplay(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
{
    installNotificationInterface();
    setAttribute(Qt::WA_ShowWithoutActivating);
    goAway.setSingleShot(true);
    goAway.setInterval(kShownMs);
    connect(&goAway, &QTimer::timeout, this, &QWidget::hide);
}

void OnScreenDisplay::showChange(const QString &label, const QString &value, double fraction, bool muted,
                                 const QString &note)
{
    this->label = label;
    this->value = value;
    this->fraction = fraction < 0 ? -1 : std::min(fraction, 1.0);
    this->muted = muted;
    this->note = note;
    QStringList text {label, value};
    if (muted)
        text << kMute;
    text << note;
    text.removeAll(QString());
    setWindowTitle(text.join(' '));

    const QSize size = contentSize();
    setGeometry(QRect(placement(size).topLeft(), size));
    update();
    goAway.start();
    if (isVisible()) {
        // Shown already, so no window comes up to be spoken: tell it as shown again.
        QAccessibleEvent shownAgain(this, QAccessible::ObjectShow);
        QAccessible::updateAccessibility(&shownAgain);
        return;
    }
    show();
}

void OnScreenDisplay::followTrayIcon(const QSystemTrayIcon *icon)
{
    trayIcon = icon;
}

QFont OnScreenDisplay::valueFont() const
{
    QFont larger = font();
    larger.setBold(true);
    if (larger.pointSizeF() > 0)
        larger.setPointSizeF(larger.pointSizeF() * 1.5);
    else
        larger.setPixelSize(larger.pixelSize() * 3 / 2);
    return larger;
}

// In device-independent pixels from the system's fonts, so that it scales as the screen does.
QSize OnScreenDisplay::contentSize() const
{
    const QFontMetrics text = fontMetrics();
    const QFontMetrics large(valueFont());
    const int margin = text.height() / 2;
    const int firstLine = text.horizontalAdvance(label) + (muted ? margin * 2 + text.horizontalAdvance(kMute) : 0);
    const int width = std::max({text.averageCharWidth() * 24, firstLine, large.horizontalAdvance(value),
                                text.horizontalAdvance(note)});
    const int height = text.height() + large.height() + (hasBar() ? margin : 0) + (note.isEmpty() ? 0 : text.height());
    return QSize(width, height).grownBy(QMargins(margin, margin, margin, margin));
}

// Beside the tray icon, on the side towards the middle of its screen; else
// where Windows keeps its notification area, the primary screen's bottom right.
QRect OnScreenDisplay::placement(const QSize &size) const
{
    const int gap = fontMetrics().height() / 2;
    const QRect icon = trayIcon ? trayIcon->geometry() : QRect();
    QScreen *screen = icon.isValid() ? QGuiApplication::screenAt(icon.center()) : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QRect(QPoint(), size);
    const QRect area = screen->availableGeometry();
    QRect placed(QPoint(), size);
    if (icon.isValid()) {
        placed.moveCenter(icon.center());
        if (icon.center().y() < area.center().y())
            placed.moveTop(icon.bottom() + gap);
        else
            placed.moveBottom(icon.top() - gap);
    } else {
        placed.moveBottomRight(area.bottomRight() - QPoint(gap, gap));
    }
    placed.moveLeft(std::clamp(placed.left(), area.left(), std::max(area.left(), area.right() - size.width() + 1)));
    placed.moveTop(std::clamp(placed.top(), area.top(), std::max(area.top(), area.bottom() - size.height() + 1)));
    return placed;
}

void OnScreenDisplay::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPalette colours = palette();
    painter.fillRect(rect(), colours.window());
    painter.setPen(colours.mid().color());
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    const QFontMetrics text = fontMetrics();
    const int margin = text.height() / 2;
    QRect line(margin, margin, width() - 2 * margin, text.height());
    painter.setPen(colours.windowText().color());
    painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, label);
    if (muted) {
        QFont bold = font();
        bold.setBold(true);
        painter.setFont(bold);
        painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter, kMute);
    }
    painter.setFont(valueFont());
    line.translate(0, line.height());
    line.setHeight(QFontMetrics(valueFont()).height());
    painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, value);

    int top = line.bottom() + 1;
    if (hasBar()) {
        QRect bar(margin, top + margin / 4, width() - 2 * margin, margin / 2);
        painter.fillRect(bar, colours.mid());
        bar.setWidth(int(bar.width() * fraction));
        // A muted output keeps its level, drawn as greyed.
        painter.fillRect(bar, muted ? colours.dark() : colours.highlight());
        top += margin;
    }
    if (!note.isEmpty()) {
        painter.setFont(font());
        painter.drawText(QRect(margin, top, width() - 2 * margin, text.height()), Qt::AlignLeft | Qt::AlignVCenter, note);
    }
}

} // namespace globalkeys
