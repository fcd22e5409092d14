// Hand-offs between threads that go through a library the thread checker cannot see
// into (the toolkit's event queue and its blocking calls). HandOff(p) on one thread and
// TakeOver(p) on another tell ThreadSanitizer that everything the first did before is
// visible to the second after; they compile to nothing in other builds.
#pragma once

#if defined(__SANITIZE_THREAD__)
#define QDVD_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define QDVD_THREAD_SANITIZER 1
#endif
#endif

#ifdef QDVD_THREAD_SANITIZER
extern "C" void __tsan_acquire(void *addr);
extern "C" void __tsan_release(void *addr);
inline void HandOff(const void *token) { __tsan_release(const_cast<void *>(token)); }
inline void TakeOver(const void *token) { __tsan_acquire(const_cast<void *>(token)); }
#else
inline void HandOff(const void *) {}
inline void TakeOver(const void *) {}
#endif
