#pragma once

namespace veilport::process {

// Hands memory that the program has freed back to the system. Building the
// first screen allocates and frees a few MiB (pictures rendered, fonts and
// styles looked up); the allocator keeps such memory for later use, so a
// program that then sits idle in the tray would hold it for nothing.
void returnFreedMemory();

}  // namespace veilport::process
