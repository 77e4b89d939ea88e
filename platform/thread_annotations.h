#pragma once
// Clang's thread-safety attributes: which lock guards a member, which a function
// needs or takes. Clang with -Wthread-safety checks them at compile time
// (scripts/thread-safety.sh); other compilers see nothing.
#if defined(__clang__)
#define NUTHUMB_THREAD_ATTRIBUTE(x) __attribute__((x))
#else
#define NUTHUMB_THREAD_ATTRIBUTE(x)
#endif

#define CAPABILITY(x) NUTHUMB_THREAD_ATTRIBUTE(capability(x))
#define SCOPED_CAPABILITY NUTHUMB_THREAD_ATTRIBUTE(scoped_lockable)
#define GUARDED_BY(x) NUTHUMB_THREAD_ATTRIBUTE(guarded_by(x))
#define REQUIRES(...) NUTHUMB_THREAD_ATTRIBUTE(requires_capability(__VA_ARGS__))
#define EXCLUDES(...) NUTHUMB_THREAD_ATTRIBUTE(locks_excluded(__VA_ARGS__))
#define ACQUIRE(...) NUTHUMB_THREAD_ATTRIBUTE(acquire_capability(__VA_ARGS__))
#define RELEASE(...) NUTHUMB_THREAD_ATTRIBUTE(release_capability(__VA_ARGS__))
