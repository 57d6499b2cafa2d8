#pragma once
// Qt hands a posted event to the receiving thread under a lock of its own,
// which the thread sanitizer cannot see (Qt is not built with it). The poster
// marks the event handed over and every reader of it on the receiving side
// marks it taken over, so the hand-off is visible and real races stay reported.
// Nothing in builds without the sanitizer.

#if defined(__SANITIZE_THREAD__)
#define VELLORAN_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define VELLORAN_THREAD_SANITIZER 1
#endif
#endif

#if defined(VELLORAN_THREAD_SANITIZER)
extern "C" void __tsan_acquire(void* addr);
extern "C" void __tsan_release(void* addr);
#endif

namespace velloran {

inline void HandOverEvent([[maybe_unused]] void* event) {
#if defined(VELLORAN_THREAD_SANITIZER)
  __tsan_release(event);
#endif
}

inline void TakeOverEvent([[maybe_unused]] void* event) {
#if defined(VELLORAN_THREAD_SANITIZER)
  __tsan_acquire(event);
#endif
}

}  // namespace velloran
