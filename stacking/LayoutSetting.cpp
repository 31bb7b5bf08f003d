#include "LayoutSetting.h"

#include "VekApp.h"
#include "VekUtil.h"

TSaveLayout LayoutSetting() {
  return TrimUpper(App->ReadIniString("Config", "Layout", "tiles")) == "STRIPS" ? slStrips
                                                                                : slTiles;
}
