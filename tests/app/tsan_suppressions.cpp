// The lock-free queue publishes elements with standalone fences, which the
// thread sanitizer does not model; it then reports the element's write and
// read as a race. Only frames inside the queue are silenced.
extern "C" const char* __tsan_default_suppressions() {
  return "race:moodycamel::ConcurrentQueue\n";
}
