#pragma once

#include <QColor>
#include <QRect>
#include <QString>
#include <QWidget>

#include <optional>

class QLineEdit;

// A 270-degree rotary control for one whole number between minimum and maximum,
// worked by mouse, wheel or keyboard. The panels configure it through the public
// fields right after construction and rely on valueChangedSig firing for every
// gesture, key press and setValue, even when the value stays the same: that is
// how a restored state is replayed to the device.
class Knob : public QWidget
{
    Q_OBJECT

public:
    explicit Knob(QWidget* parent = nullptr);

    void setValue(int v);
    // The number written on the face for v: the offset applies to every value but 0.
    qlonglong shownNumber(int v) const;

    // Read-only views of the typed-entry state, for owners and tests.
    QLineEdit* editBox() const { return edit; }
    QRect valueTextRect() const { return textRect; }

    int value = -80;
    int arcWidth = 7;
    bool roundCap = true;
    int maximum = 6;
    int minimum = -80;
    QColor arcColor = QColor(QStringLiteral("#00ffff"));
    bool valueVisible = true;
    QString fontFamily = QStringLiteral("Segoe UI");
    int fontSize = 12;
    QString suffix = QStringLiteral("dB");
    QColor textColor = QColor(QStringLiteral("#ff79c6"));
    bool trackVisible = true;
    QColor trackColor = QColor(QStringLiteral("#44475a"));
    double faceScale = 0.8;
    int displayOffset = 0;
    // End jumps to the maximum in one request. Owners whose knob sets a level
    // turn it off: one stray key must not send it to the top.
    bool endReachesMaximum = true;
    // The user's limit on this level: no gesture, key, typed value or setValue
    // goes above it, and the face marks where it is. None: the maximum rules.
    std::optional<int> ceiling;
    // The highest value the knob takes now.
    int top() const { return ceiling ? std::min(*ceiling, maximum) : maximum; }

signals:
    void valueChangedSig(int value);

public slots:
    void finishEdit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int bounded(int v) const;
    void stepBy(int steps);
    void openEditBox();
    void closeEditBox();
    void commit();
    int valueSpan() const;
    int spanTo(int v) const;
    QString valueText() const;

    int lastY = 0;
    int lastX = 0;
    QLineEdit* edit;
    QRect textRect;
    bool focusMarked = false;
};
