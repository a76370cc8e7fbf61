#pragma once

#include <surfacesettings.h>

#include <QWidget>

#include <optional>

class QComboBox;

namespace remoteaccess {

// Who may connect besides this computer: nobody, one of this computer's own
// networks (read anew each time the choice is shown, named by interface and
// network), or a network typed by hand. Choosing is applying: chosen is
// emitted at once, and the caller shows the outcome with showChoice.
class NetworkChoice : public QWidget
{
    Q_OBJECT

public:
    explicit NetworkChoice(const QString &labelText, QWidget *parent = nullptr);

    void showChoice(const std::optional<surface::Network> &allowed);
    QComboBox *box() const { return combo; }

signals:
    void chosen(const std::optional<surface::Network> &network);

private:
    void choose(int index);
    void chooseOther();

    QComboBox *combo;
    std::optional<surface::Network> shown;
};

} // namespace remoteaccess
