#pragma once
// What travels with a JPEG exposure, from the segments libjpeg kept while
// it read the header: the ICC profile of the APP2 segments and the EXIF
// fields of the APP1 segment.
#include "PictureMeta.h"

#include <cstdio>
#include <jpeglib.h>

// The segments to keep: called before the header is read.
void KeepMetaMarkers(j_decompress_ptr Info);
// Never fails: a profile whose pieces do not fit together, or fields that
// cannot be read, are left out.
TPictureMeta JpegMarkersMeta(jpeg_saved_marker_ptr Markers);
