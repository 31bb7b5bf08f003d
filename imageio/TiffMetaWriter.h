#pragma once
// What travels with the result, written into its TIFF: the ICC profile and
// the allow-listed camera fields, in the picture's directory and its EXIF
// directory.
#include "TiffDetail.h"

namespace detail {

// Writes the EXIF directory of Meta and sets the handle up for the
// picture's directory, which the caller fills next. Returns the EXIF
// directory's offset, or 0 without writing anything when Meta has no EXIF
// field. A failed write fails as the writer's writes do.
uint64_t WriteExifDirectory(TIFF* Tif, const TPictureMeta& Meta);

// Sets the profile and Meta's fields of the picture's directory. The
// Software field and the link to the EXIF directory (ExifOffset, when not
// 0) come only with other fields, so a result with nothing to carry keeps
// its fields as they always were.
void SetMetaFields(TIFF* Tif, const TPictureMeta& Meta, uint64_t ExifOffset);

} // namespace detail
