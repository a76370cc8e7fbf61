#pragma once

#include <QObject>

namespace phone {

class PhoneServer;

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
