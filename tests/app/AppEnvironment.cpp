#include "AppEnvironment.h"

#include "VelmoraApplication.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class TAppEnvironment : public testing::Environment {
public:
  void SetUp() override {
    // Run by hand as well as under ctest: no display needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
      qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    Application = std::make_unique<TVelmoraApplication>(Argc, Argv);
  }
  void TearDown() override { Application.reset(); }

  std::unique_ptr<TVelmoraApplication> Application;

private:
  int Argc = 1;
  char Name[9] = "test_app";
  char* Argv[2] = {Name, nullptr};
};

TAppEnvironment* const Environment =
    static_cast<TAppEnvironment*>(testing::AddGlobalTestEnvironment(new TAppEnvironment));

} // namespace

TVelmoraApplication& TestApplication() {
  return *Environment->Application;
}
