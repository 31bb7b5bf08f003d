#pragma once
// The result in strips instead of tiles, for programs that read no tiled
// TIFF: the same picture, samples and compression as the tiled file, RGB
// samples stored together, in strips of whole rows.
#include "AsSaveTiff16Unit.h"

#include <cstdint>
#include <string>

// Rows of one strip: about 256 KiB of samples, at least one row and at
// most the picture. PixelBytes: 6 for 16-bit samples, 12 for floats.
uint32_t StripRows(uint32_t Width, uint32_t Height, uint32_t PixelBytes = 6);

namespace detail {

// Writes the fields ImageWidth, ImageLength, RowsPerStrip, Photometric,
// SamplesPerPixel, PlanarConfiguration, BitsPerSample and Compression, in
// this order, and the samples asked strip by strip from Source, into Fd.
// Raises a TTiffFailure with the tiled writer's messages.
template <class TSample>
void WriteStrips(int Fd, const std::string& FileName, const TTiffResult& Result,
                 const TPieceSource<TSample>& Source);

} // namespace detail
