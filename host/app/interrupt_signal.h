#pragma once
// Ctrl-C for kyrel: the first press is recorded for the command line to act
// on (cancel the background work, end a script); a second press that nobody
// took ends the process as an unhandled Ctrl-C would, so a command that is
// stuck can still be left.

namespace kyrel::app {

void InstallInterruptHandler();
// True once per press since the last call.
bool TakeInterrupt();

} // namespace kyrel::app
