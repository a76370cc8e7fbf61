#pragma once

#include <filesystem>
#include <string>

// One interface serves the machine, and what it holds is the state of the
// last sign-in whose program drove it, whatever each program remembers. A
// program that finds another sign-in's program drove it last takes it over,
// even at its own first start: its replay may switch phantom power off, never
// on, onto a microphone that someone else plugged in.
namespace platform {

// Whether another sign-in's program drove the interface since this one last
// did (or this one never did). False when it cannot be told.
bool interfaceDrivenElsewhereLast();
// This sign-in's program drives the interface from now on.
void markInterfaceDrivenHere();

// The backends': the machine-wide directory of the sign-ins' stamps (empty
// when there is none), and this sign-in's stamp in it. Each sign-in writes
// its own stamp, as a shared directory lets a user write only the files it created.
std::filesystem::path interfaceStampDir();
std::string ownInterfaceStamp();

} // namespace platform
