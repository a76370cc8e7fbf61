#include "nativedesktop.h"

namespace globalkeys {

void *keyboardConnection()
{
    return nullptr;
}

QString whyNoKeys()
{
    return {};
}

} // namespace globalkeys
