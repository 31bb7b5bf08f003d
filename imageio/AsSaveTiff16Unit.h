#pragma once
// TIFF files: 16-bit exposures read into channel planes, and the 16-bit
// tiled RGB result written from them.
#include "TiffLayouts.h"
#include "TiffReader.h"
#include "TiffWriter.h"

// Replaces the TIFF library's error and warning handlers by silent ones.
// Called once at start-up; serves reader and writer alike.
void SilenceTiffLibrary();
