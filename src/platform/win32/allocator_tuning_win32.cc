#include "platform/allocator_tuning.h"

#include <malloc.h>

// The Windows heap keeps freed blocks for reuse on its own.
void KeepFreedMemoryForReuse() {}

void ReturnFreedMemory() { _heapmin(); }
