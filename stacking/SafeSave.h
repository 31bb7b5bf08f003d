#pragma once
// Writing the result without ever losing an existing file: the TIFF goes
// to a sibling first and replaces FileName only once it is complete.
#include "AsSaveTiff16Unit.h"

#include <string>

// The sibling a save of FileName writes first. Its name is fixed, so a
// partial file left by a killed run is overwritten and renamed away by the
// next save of the same name.
std::string PartialFileName(const std::string& FileName);

// As SaveTiff16 with the samples from Source; on failure FileName is
// untouched, the partial file is removed and the message names FileName.
void SaveTiff16Replacing(const std::string& FileName, TTiffCompression Compression, uint32_t Width,
                         uint32_t Height, const TTileSource& Source);
