#pragma once

// Marks for ThreadSanitizer where work passes between threads through a library that is not built with it
// (Qt's thread pool and its locks): what a thread did before releasing a token happens before what another
// does after acquiring the same token. Nothing in other builds.
#if defined(__SANITIZE_THREAD__)
#define SKAF_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define SKAF_THREAD_SANITIZER 1
#endif
#endif

#ifdef SKAF_THREAD_SANITIZER
#include <sanitizer/tsan_interface.h>
inline void threadSanitizerRelease(const void* token) {
    __tsan_release(const_cast<void*>(token));
}
inline void threadSanitizerAcquire(const void* token) {
    __tsan_acquire(const_cast<void*>(token));
}
#else
inline void threadSanitizerRelease(const void*) {}
inline void threadSanitizerAcquire(const void*) {}
#endif
