#pragma once
// Writing the 16-bit RGB result as a TIFF file.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

enum TTiffCompression : uint8_t { tcNone, tcLZW, tcDeflate };

// How a result is laid out in its file: the tiles the window writes, or
// strips of whole rows for programs that read no tiled TIFF.
enum TSaveLayout : uint8_t { slTiles, slStrips };

// Fills Cols x Rows pixels of the piece whose top left pixel is (X0, Y0):
// red, green and blue samples interleaved, rows of the piece Stride
// samples apart. The rest of an edge tile is already zero; a strip is a
// piece as wide as the picture.
using TTileSource = std::function<void(uint32_t X0, uint32_t Y0, uint32_t Cols, uint32_t Rows,
                                       uint16_t* Tile, size_t Stride)>;
void SaveTiff16(const std::string& FileName, TTiffCompression Compression, uint32_t Width,
                uint32_t Height, const uint16_t* Red, const uint16_t* Green, const uint16_t* Blue);
void InternalSaveTiff16(const std::string& FileName, TTiffCompression Compression, uint32_t Width,
                        uint32_t Height, const uint16_t* Red, const uint16_t* Green,
                        const uint16_t* Blue, bool& Failed, std::string& Message);
// The samples of three planes of Width samples a row, as a source.
TTileSource PlanesSource(uint32_t Width, const uint16_t* Red, const uint16_t* Green,
                         const uint16_t* Blue);
// As SaveTiff16, in tiles or strips, the samples asked piece by piece from
// Source: a result can be written without planes of its own. Raises the
// writer's messages, with the system's cause where it gave one
// (Exception::Cause).
void SaveTiff16FromSource(const std::string& FileName, TSaveLayout Layout,
                          TTiffCompression Compression, uint32_t Width, uint32_t Height,
                          const TTileSource& Source);
