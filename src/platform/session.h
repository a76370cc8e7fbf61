#pragma once

// Which of the machine's sign-ins may drive the interface. One interface
// serves the whole machine, but every signed-in user runs an instance of the
// program: only the one whose session is at the console (the user in front of
// the machine) may send it anything.
namespace platform {

// Asked once a second; cheap, and never blocks.
bool sessionIsActive();

} // namespace platform
