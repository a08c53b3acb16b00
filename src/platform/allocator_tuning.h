#pragma once

// Tells the memory allocator that the program frees and reallocates page-sized buffers
// all the time: memory freed is kept for reuse instead of being handed back to the system
// and faulted in again for the next page. Call once at start.
void KeepFreedMemoryForReuse();

// Hands the memory that lies free in the allocator back to the system. After a burst of
// connections, or once a list has been replaced by a newer one, that memory would stay
// resident (and count as the program's) until the next burst needed it. It walks every
// free block, so call it seldom: after a reload, or when the proxy has gone idle.
void ReturnFreedMemory();
