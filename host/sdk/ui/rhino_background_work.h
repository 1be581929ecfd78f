#pragma once
// Background work that the host should wait for (its Wait command) and may
// cancel (Escape or Ctrl-C on its command line): a library that runs worker
// threads registers a query that says whether its workers are busy, and
// optionally what stops them as its own user interface would, and what
// ends them for good. Queries, cancels and ends run on the UI thread.
//
// The host ends every registered work at exit, before it unloads any
// module: a worker still running while a library is being unloaded may
// need the dynamic loader's lock (to register a thread-local destructor)
// that the unloading thread holds while it waits for the worker in a
// static destructor.

// Registers (or, with busy null, removes) the query of `owner`. `end`
// stops the work and returns once its threads have returned.
void RhinoRegisterBackgroundWork(const void* owner, bool (*busy)(), void (*cancel)() = nullptr,
                                 void (*end)() = nullptr);
// True while any registered query reports work.
bool RhinoBackgroundWorkBusy();
// Cancels every busy work that can be cancelled; the number cancelled.
int RhinoCancelBackgroundWork();
// Ends every registered work that can be ended: the host's shutdown, while
// every module is still loaded.
void RhinoEndBackgroundWork();
