#pragma once
// The framework unit's start-up and finalisation.
#include "VekApp.h"

// The unit's start-up and finalisation: InitVekUtil (once per process),
// App, the exception event and the report handler; finalisation in reverse.
void InitVekSystem();
void FinalizeVekSystem();

// Start-up for main() and tests: InitVekSystem now, FinalizeVekSystem when
// the scope ends.
class TVekSystemScope {
public:
  TVekSystemScope() { InitVekSystem(); }
  ~TVekSystemScope() { FinalizeVekSystem(); }
  TVekSystemScope(const TVekSystemScope&) = delete;
  TVekSystemScope& operator=(const TVekSystemScope&) = delete;
};
