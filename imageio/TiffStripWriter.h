#pragma once
// The result in strips instead of tiles, for programs that read no tiled
// TIFF: the same picture, samples and compression as the tiled file, RGB
// samples of 16 bits stored together, in strips of whole rows.
#include "AsSaveTiff16Unit.h"

#include <cstdint>
#include <string>

// Rows of one strip: about 256 KiB of samples, at least one row and at
// most the picture.
uint32_t StripRows(uint32_t Width, uint32_t Height);

namespace detail {

// Writes the fields ImageWidth, ImageLength, RowsPerStrip, Photometric,
// SamplesPerPixel, PlanarConfiguration, BitsPerSample and Compression, in
// this order, and the samples asked strip by strip from Source. Raises a
// TTiffFailure with the tiled writer's messages.
void WriteStrips(const std::string& FileName, TTiffCompression Compression, uint32_t Width,
                 uint32_t Height, const TTileSource& Source);

} // namespace detail
