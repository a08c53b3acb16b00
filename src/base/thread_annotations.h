#pragma once

// Lock annotations for Clang's -Wthread-safety. They document which mutex guards which
// member and expand to nothing under other compilers.
#if defined(__clang__)
#define KEZO_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define KEZO_THREAD_ANNOTATION(x)
#endif

#define GUARDED_BY(x) KEZO_THREAD_ANNOTATION(guarded_by(x))
#define REQUIRES(...) KEZO_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define EXCLUDES(...) KEZO_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))
