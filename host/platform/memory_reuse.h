#pragma once
// How the host's process keeps freed memory.

namespace kyrel::platform {

// A frame that cuts a large part makes and drops meshes of tens of
// megabytes. By default glibc gives blocks above its mmap threshold back
// to the kernel when they are freed, and trims the top of the heap, so the
// next frame takes a page fault on every page again: about a third of the
// frame on a part of a million triangles. Blocks up to 64 MB are taken
// from the heap instead, and up to 256 MB of freed heap is kept for the
// next frame. Called once, before the application exists; safe to call
// again. A no-op where the C library has no such settings.
void KeepFreedMemoryForReuse();

} // namespace kyrel::platform
