#pragma once
// The one command: pick exposures, add them with a preview after every
// file, and write the normalised sum as a 16-bit TIFF. Raises on failure
// (EAbort for a cancelled selection or a declined overwrite); every
// resource is freed and the cursor restored on every way out.
#include "RunHost.h"

void RunStacking(TRunHost& Host);

// The name the result is written as: ".tif" appended to a name without an
// extension.
std::string ResultFileName(const std::string& FileName);
