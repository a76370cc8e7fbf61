#pragma once

#include <QPushButton>
#include <QString>

class QGraphicsDropShadowEffect;
class QTimer;

// A two-state switch that glows in its accent colour while on. Clicks never put the
// push button into Qt's down state; pressed(bool) is the only click report, and it
// fires for every click, Space press and setActive, even when the state does not change.
class Button : public QPushButton
{
    Q_OBJECT

public:
    explicit Button(const QString& text, QWidget* parent = nullptr);

    void updateStyle();
    void setActive(bool on);

    int borderRadius = 3;
    QString activeTextColor = QStringLiteral("#000000");
    QString textColor = QStringLiteral("#00ff7f");
    QString shadowColor = QStringLiteral("#00ff7f");
    QString activeBackground = QStringLiteral("#00ff7f");
    QString background = QStringLiteral("#1b1e23");
    bool active = false;
    QGraphicsDropShadowEffect* shadow;

signals:
    void pressed(bool status);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool focusMarked = false;
    // Space counts as held from its first press until a release that no press
    // follows within spaceGrace.
    bool spaceHeld = false;
    QTimer* spaceGrace;
};
