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
// did (or this one never did). False when there are no stamps at all. Where
// stamps are kept but cannot be trusted, another user may have hidden their
// drive: every arrival counts as a take-over until this program has driven the
// interface itself, and the first such call puts why into distrust.
bool interfaceDrivenElsewhereLast(std::string *distrust = nullptr);
// This sign-in's program drives the interface from now on.
void markInterfaceDrivenHere();

// The backends': the machine-wide directory of the sign-ins' stamps (empty
// when there is none, with why when there is one that cannot be trusted to
// keep each user's stamps from the others), whether a stamp in it is this
// sign-in's, and writing this sign-in's stamp there now.
std::filesystem::path interfaceStampDir(std::string &distrust);
bool isOwnInterfaceStamp(const std::filesystem::path &stamp);
void stampInterfaceDrivenHere(const std::filesystem::path &dir);

} // namespace platform
