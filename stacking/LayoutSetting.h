#pragma once
// The window's result layout, chosen in the settings file: section
// "Config", key "Layout", "tiles" (the default) or "strips" for programs
// that read no tiled TIFF. Read at every save, as every setting is.
#include "AsSaveTiff16Unit.h"

// Any other value, or none, gives tiles.
TSaveLayout LayoutSetting();
