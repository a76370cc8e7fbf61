#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

// Answers the message boxes a test provokes: every modal box that appears is
// recorded (title and text) and closed, so the test does not block on it.
class ModalWatcher : public QObject
{
    Q_OBJECT

public:
    ModalWatcher();

    struct Box
    {
        QString title;
        QString text;
    };
    QList<Box> boxes;

private:
    void closeActiveModal();

    QTimer timer;
};
