#pragma once
// The surroundings of a whole run under test: the framework started, the
// settings file and the error log in a fresh folder, libtiff's own
// messages silenced.
#include "AsSaveTiff16Unit.h"
#include "TempDir.h"
#include "VekApp.h"
#include "VekSystem.h"

#include <gtest/gtest.h>

class TRunTest : public ::testing::Test {
protected:
  void SetUp() override {
    App->SetIniFile(Dir.File("VadevEzuzeva.ini"));
    App->ErrorFileName = Dir.File("Errors.Txt");
    SilenceTiffLibrary();
  }

  TVekSystemScope System;
  TTempDir Dir;
};
