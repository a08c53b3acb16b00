#pragma once

// Tells the memory allocator that the program frees and reallocates page-sized buffers
// all the time: memory freed is kept for reuse instead of being handed back to the system
// and faulted in again for the next page. Call once at start.
void KeepFreedMemoryForReuse();
