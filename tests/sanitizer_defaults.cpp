// What the sanitizers leave out in every test program; a test file may
// define its own (these are weak).
//
// Leak checker: fontconfig keeps a cache allocation until exit.
// Thread sanitizer: Qt's painting and image writing run parts of their work
// on Qt's pooled threads, synchronised inside the Qt libraries, which the
// sanitizer cannot see (Qt is not built with it); the lock-free queue's
// fences are fine but not modelled. Everything of ours stays checked.

extern "C" __attribute__((weak)) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}

extern "C" __attribute__((weak)) const char* __tsan_default_suppressions() {
  return "called_from_lib:libQt6Gui.so.6\n"
         "called_from_lib:libQt6Core.so.6\n"
         "race:moodycamel::ConcurrentQueue\n";
}
