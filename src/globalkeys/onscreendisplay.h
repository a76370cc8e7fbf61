#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QSystemTrayIcon;

namespace globalkeys {

// A small frameless window near the notification area that takes no focus;
// its window title is its text, so that a screen reader and a test find it.
class OnScreenDisplay : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kShownMs = 1500;

    explicit OnScreenDisplay(QWidget *parent = nullptr);

    // label as the panel names the control, value text ("-20 dB"), fraction
    // 0..1 for the bar (below 0: no bar, for a change without a level), muted,
    // note ("limited to -30 dB" or empty).
    void showChange(const QString &label, const QString &value, double fraction, bool muted, const QString &note);
    // Shows itself beside this icon wherever the system tells where it sits.
    void followTrayIcon(const QSystemTrayIcon *icon);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool hasBar() const { return fraction >= 0; }
    QFont valueFont() const;
    QSize contentSize() const;
    QRect placement(const QSize &size) const;

    QString label;
    QString value;
    double fraction = 0;
    bool muted = false;
    QString note;
    QTimer goAway;
    QPointer<const QSystemTrayIcon> trayIcon;
};

} // namespace globalkeys
