#pragma once
// The one application of a test or benchmark program, on the offscreen
// platform unless QT_QPA_PLATFORM says otherwise; made on first use and kept
// for the life of the process.

#include <cstdlib>

#include "platform/application.h"

namespace velloran::testing_host {

inline Application& App() {
  static Application* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "velloran_tests";
    static char* argv[] = {name, nullptr};
    return new Application(argc, argv);
  }();
  return *app;
}

}  // namespace velloran::testing_host
