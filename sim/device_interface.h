#pragma once

#include <string>

// The device interface entry: a Unix socket named "<model>-<process id>" in the
// device class directory, where the product's discovery finds it. It exists
// exactly as long as this object (the device is plugged in).
class DeviceInterface
{
public:
    // listening = false registers an entry that refuses every open (--unopenable).
    DeviceInterface(const std::string &model, bool listening);
    ~DeviceInterface();
    DeviceInterface(const DeviceInterface &) = delete;
    DeviceInterface &operator=(const DeviceInterface &) = delete;

    bool isValid() const { return fd >= 0; }
    const std::string &errorText() const { return error; }
    const std::string &path() const { return socketPath; }
    // Removes the entry; the destructor does it too.
    void withdraw();

    // The listening socket, or -1 when the entry refuses opens.
    int listeningSocket() const { return listening ? fd : -1; }

private:
    std::string socketPath;
    std::string error;
    int fd = -1;
    bool listening;
};
