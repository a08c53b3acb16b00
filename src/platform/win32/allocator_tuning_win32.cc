#include "platform/allocator_tuning.h"

// The Windows heap keeps freed blocks for reuse on its own.
void KeepFreedMemoryForReuse() {}
