#pragma once
// Writing the result without ever losing an existing file: the TIFF goes
// to a sibling first and replaces FileName only once it is complete and on
// the disk.
#include "AsSaveTiff16Unit.h"

#include <string>

// As SaveTiff16 with the samples from Source, in tiles or strips; on
// failure FileName is untouched, nothing of the attempt is left and the
// message names FileName. The exception carries the system's cause where
// it gave one.
void SaveTiff16Replacing(const std::string& FileName, TSaveLayout Layout,
                         TTiffCompression Compression, uint32_t Width, uint32_t Height,
                         const TTileSource& Source);
