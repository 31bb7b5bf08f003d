#include "LayoutSetting.h"

#include "TempDir.h"
#include "VekApp.h"
#include "VekSystem.h"

#include <gtest/gtest.h>

namespace {

TEST(LayoutSetting, StripsOnlyWhenTheSettingsSayStrips) {
  TVekSystemScope System;
  TTempDir Dir;
  App->SetIniFile(Dir.File("VadevEzuzeva.ini"));
  EXPECT_EQ(LayoutSetting(), slTiles); // no such key
  const std::pair<const char*, TSaveLayout> Cases[] = {
      {"strips", slStrips}, {" Strips ", slStrips}, {"tiles", slTiles}, {"stripes", slTiles}};
  for (const auto& [Value, Layout] : Cases) {
    SCOPED_TRACE(Value);
    WriteBytes(Dir.File("VadevEzuzeva.ini"), std::string("[Config]\nLayout=") + Value + "\n");
    EXPECT_EQ(LayoutSetting(), Layout);
  }
}

} // namespace
