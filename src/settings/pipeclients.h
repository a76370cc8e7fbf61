#pragma once

#include <QString>

// One-shot clients of the two pipes served outside the program: open, write
// one message, close. Both block the calling thread while they run.

// Sends command to the audio service on "\\.\pipe\KorvistAudioControlPipe" as
// UTF-16LE with one NUL code unit. True only when the write succeeded. Waits
// up to 1000 ms for a busy pipe, at most three times.
bool sendAudioControlCommand(const QString &command);

// Sends the one-byte reset signal, "1", to the ASIO driver on
// "\\.\pipe\KorvistPannelToASIO". Never waits; the outcome is only logged.
void notifyAsioReset();
