#pragma once

#include <QMenu>

// A popup menu that a screen reader hears as it opens. One that opens with no
// entry chosen is silent to Orca (Qt's bridge drops the popup event), and its
// first entry may be one that cannot be chosen, such as the program's version.
// So the reader is told the focus entered the first entry; the menu's own
// choice stays unset, and Down goes to the first entry that can be chosen.
class SpokenMenu : public QMenu
{
    Q_OBJECT

public:
    explicit SpokenMenu(QWidget *parent = nullptr);

private:
    void tellFirstEntry();
};
