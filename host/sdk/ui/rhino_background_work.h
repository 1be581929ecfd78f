#pragma once
// Background work that the host should wait for (its Wait command) and may
// cancel (Escape or Ctrl-C on its command line): a library that runs worker
// threads registers a query that says whether its workers are busy, and
// optionally what stops them as its own user interface would. Queries and
// cancels run on the UI thread.

// Registers (or, with busy null, removes) the query of `owner`.
void RhinoRegisterBackgroundWork(const void* owner, bool (*busy)(), void (*cancel)() = nullptr);
// True while any registered query reports work.
bool RhinoBackgroundWorkBusy();
// Cancels every busy work that can be cancelled; the number cancelled.
int RhinoCancelBackgroundWork();
