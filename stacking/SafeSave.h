#pragma once
// Writing the result without ever losing an existing file: the TIFF goes
// into a sibling, open from the start, and replaces FileName only once it
// is complete and on the disk.
#include "AsSaveTiff16Unit.h"

#include <string>

// As WriteTiff16 or WriteTiffFloat with the samples from Source; on
// failure FileName is untouched, nothing of the attempt is left and the
// message names FileName. The exception carries the system's cause where
// it gave one.
void SaveTiff16Replacing(const std::string& FileName, const TTiffResult& Result,
                         const TTileSource& Source);
void SaveTiffFloatReplacing(const std::string& FileName, const TTiffResult& Result,
                            const TFloatSource& Source);
