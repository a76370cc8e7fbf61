#include "modalwatcher.h"

#include <QApplication>
#include <QMessageBox>

ModalWatcher::ModalWatcher()
{
    connect(&timer, &QTimer::timeout, this, &ModalWatcher::closeActiveModal);
    timer.start(20);
}

void ModalWatcher::closeActiveModal()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box)
        return;
    boxes.append({box->windowTitle(), box->text()});
    box->done(QMessageBox::Ok);
}
