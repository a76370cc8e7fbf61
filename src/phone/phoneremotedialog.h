#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace phone {

class PairedPhones;
class PhoneServer;

// "Phone Remote...": turns the remote on or off, shows the address to open
// with its QR code and the pairing code, and lists the paired phones with a
// way to forget each. Everything in it is reached by Tab and read by a
// screen reader: the QR code is described by the address it holds.
class PhoneRemoteDialog : public QDialog
{
    Q_OBJECT

public:
    PhoneRemoteDialog(PhoneServer &server, PairedPhones &phones, QWidget *parent = nullptr);

signals:
    // The user turned the remote on or off; the caller starts it with the saved port and allowed network.
    void switchWanted(bool on);

private:
    void showState();
    void showPhones();

    PhoneServer &server;
    PairedPhones &phones;
    QCheckBox *onBox;
    QLabel *addressLabel;
    QLabel *qrLabel;
    QLabel *codeLabel;
    QListWidget *phoneList;
    QPushButton *forgetButton;
};

// Asks the user, for each phone that sent the right code, whether it may
// control the mixer: a small window of its own that Tab, Enter and Escape
// work in and a screen reader speaks; "Don't Allow" is the default.
class PhoneApprovalPrompt : public QObject
{
    Q_OBJECT

public:
    explicit PhoneApprovalPrompt(PhoneServer &server, QObject *parent = nullptr);

private:
    PhoneServer &server;
};

} // namespace phone
