#pragma once
// Background work that the host should wait for (its Wait command): a
// library that runs worker threads registers a query that says whether its
// workers are busy. Queries run on the UI thread.

// Registers (or, with busy null, removes) the query of `owner`.
void RhinoRegisterBackgroundWork(const void* owner, bool (*busy)());
// True while any registered query reports work.
bool RhinoBackgroundWorkBusy();
