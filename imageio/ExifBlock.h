#pragma once
// The allow-listed fields of an EXIF block, as a JPEG's APP1 segment holds
// it, read through libexif.
#include "PictureMeta.h"

#include <cstddef>
#include <cstdint>

// Data: the segment's bytes from "Exif\0\0" on. Never fails: a block or a
// field that cannot be read leaves Meta's fields as they were.
void ReadExifBlock(const uint8_t* Data, size_t Size, TPictureMeta& Meta);
