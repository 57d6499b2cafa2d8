#pragma once
// Qt hands a posted event to the receiving thread under a lock of its own,
// which the thread sanitizer cannot see (Qt is not built with it). The poster
// marks the event handed over and every reader of it on the receiving side
// marks it taken over, so the hand-off is visible and real races stay reported.
// Nothing in builds without the sanitizer.

#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* addr);
extern "C" void __tsan_release(void* addr);
#endif

namespace velloran {

inline void HandOverEvent([[maybe_unused]] void* event) {
#if defined(__SANITIZE_THREAD__)
  __tsan_release(event);
#endif
}

inline void TakeOverEvent([[maybe_unused]] void* event) {
#if defined(__SANITIZE_THREAD__)
  __tsan_acquire(event);
#endif
}

}  // namespace velloran
