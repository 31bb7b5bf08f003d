#pragma once
// The ways a TIFF's samples are read into the planes, one for each layout.
#include "TiffReader.h"

#include <cstdint>
#include <tiffio.h>

// The layout routines fill the already allocated planes; they raise a
// TTiffFailure.
void ReadGenericImage(TIFF* Handle, uint32_t Width, uint32_t Height, uint16_t* Red, uint16_t* Green,
                      uint16_t* Blue);
void ReadContigStrips(TIFF* Handle, uint32_t Width, uint32_t Height, uint16_t* Red, uint16_t* Green,
                      uint16_t* Blue);
bool IsUncompressed(TIFF* Handle);
// Interleaved 16-bit strips handed to Rows one at a time, as stored: those
// of part Part when the strips are cut into Parts runs.
void ForEachContigStrip(TIFF* Handle, uint32_t Width, uint32_t Height, int Part, int Parts,
                        const TStripRows& Rows);
// Refuses, as reading them would, uncompressed interleaved 16-bit strips
// that are not in the file in full, without reading them.
void CheckContigStrips(TIFF* Handle, uint32_t Width, uint32_t Height);
// Interleaved strips read as stored, straight into Rgb: Width x Height
// pixels of red, green and blue samples.
void ReadContigStripsAsStored(TIFF* Handle, uint32_t Width, uint32_t Height, uint16_t* Rgb);
void ReadContigTiles(TIFF* Handle, uint32_t Width, uint32_t Height, uint16_t* Red, uint16_t* Green,
                     uint16_t* Blue);
void ReadSeparateStrips(TIFF* Handle, uint32_t Width, uint32_t Height, uint16_t* Red,
                        uint16_t* Green, uint16_t* Blue);
void ReadSeparateTiles(TIFF* Handle, uint32_t Width, uint32_t Height, uint16_t* Red,
                       uint16_t* Green, uint16_t* Blue);
