#pragma once
// What travels with a TIFF exposure: its ICC profile and the allow-listed
// fields of its first directory and of that directory's EXIF directory.
#include "PictureMeta.h"

#include <string>
#include <tiffio.h>

// Never fails: a field that cannot be read is left out. Handle stays on
// the first directory; the EXIF directory is read through a handle of its
// own on FileName, so a damaged one cannot disturb the picture's read. The
// Orientation is kept only for pictures read in their stored order (the
// generic path has already turned them upright), and only when it is not
// the default: many writers set top-left, which tells nothing.
TPictureMeta ReadTiffMeta(TIFF* Handle, const std::string& FileName);
