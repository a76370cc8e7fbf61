#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

// Asks for the name to save the panel's state under. A name that is not valid
// keeps the dialog open, with the reason beside the field, so the user corrects
// it instead of starting again.
class PresetNameDialog : public QDialog
{
    Q_OBJECT

public:
    explicit PresetNameDialog(QWidget *parent = nullptr);

    // As typed, without spaces at either end.
    QString name() const;

    void accept() override;

private:
    QLineEdit *field = nullptr;
    QLabel *refusal = nullptr;
};
