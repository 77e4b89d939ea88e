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
#define PT_GUARDED_BY(x) NUTHUMB_THREAD_ATTRIBUTE(pt_guarded_by(x))
#define ACQUIRED_BEFORE(...) NUTHUMB_THREAD_ATTRIBUTE(acquired_before(__VA_ARGS__))
#define ACQUIRED_AFTER(...) NUTHUMB_THREAD_ATTRIBUTE(acquired_after(__VA_ARGS__))
#define REQUIRES(...) NUTHUMB_THREAD_ATTRIBUTE(requires_capability(__VA_ARGS__))
#define EXCLUDES(...) NUTHUMB_THREAD_ATTRIBUTE(locks_excluded(__VA_ARGS__))
#define ACQUIRE(...) NUTHUMB_THREAD_ATTRIBUTE(acquire_capability(__VA_ARGS__))
#define RELEASE(...) NUTHUMB_THREAD_ATTRIBUTE(release_capability(__VA_ARGS__))
#define TRY_ACQUIRE(...) NUTHUMB_THREAD_ATTRIBUTE(try_acquire_capability(__VA_ARGS__))
#define ASSERT_CAPABILITY(x) NUTHUMB_THREAD_ATTRIBUTE(assert_capability(x))
#define NO_THREAD_SAFETY_ANALYSIS NUTHUMB_THREAD_ATTRIBUTE(no_thread_safety_analysis)
