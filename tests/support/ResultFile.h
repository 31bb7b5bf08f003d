#pragma once
// A result written to a named file through the product's writer, the file
// created empty and handed over open, as the durable replace hands over
// its sibling.
#include "AsSaveTiff16Unit.h"

#include <string>

// Raise as WriteTiff16 and WriteTiffFloat do; a file that cannot be
// created throws std::runtime_error. What was written stays.
void SaveTiffFile(const std::string& FileName, const TTiffResult& Result,
                  const TTileSource& Source);
void SaveTiffFloatFile(const std::string& FileName, const TTiffResult& Result,
                       const TFloatSource& Source);
