#include "JpegMeta.h"

#include "ExifBlock.h"

#include <cstring>
#include <vector>

namespace {

// A profile is cut into segments after this header: the name, the
// segment's number from 1 and the count of segments.
constexpr char IccName[] = "ICC_PROFILE";
constexpr unsigned IccHeader = sizeof IccName + 2;
constexpr char ExifName[] = "Exif\0";

bool Starts(jpeg_saved_marker_ptr Marker, int Code, const char* Name, size_t NameBytes) {
  return Marker->marker == Code && Marker->data_length >= NameBytes &&
         std::memcmp(Marker->data, Name, NameBytes) == 0;
}

// The segments put together in their numbered order; none when a number is
// missing, repeated or out of the count.
std::vector<uint8_t> Profile(jpeg_saved_marker_ptr Markers) {
  std::vector<jpeg_saved_marker_ptr> Pieces;
  for (jpeg_saved_marker_ptr M = Markers; M; M = M->next) {
    if (!Starts(M, JPEG_APP0 + 2, IccName, sizeof IccName) || M->data_length < IccHeader)
      continue;
    const unsigned Number = M->data[sizeof IccName];
    const unsigned Count = M->data[sizeof IccName + 1];
    if (Pieces.empty())
      Pieces.assign(Count, nullptr);
    if (Count != Pieces.size() || Number == 0 || Number > Count || Pieces[Number - 1])
      return {};
    Pieces[Number - 1] = M;
  }
  std::vector<uint8_t> Bytes;
  for (jpeg_saved_marker_ptr M : Pieces) {
    if (!M)
      return {};
    Bytes.insert(Bytes.end(), M->data + IccHeader, M->data + M->data_length);
  }
  return Bytes;
}

} // namespace

void KeepMetaMarkers(j_decompress_ptr Info) {
  jpeg_save_markers(Info, JPEG_APP0 + 1, 0xFFFF);
  jpeg_save_markers(Info, JPEG_APP0 + 2, 0xFFFF);
}

TPictureMeta JpegMarkersMeta(jpeg_saved_marker_ptr Markers) {
  TPictureMeta Meta;
  Meta.IccProfile = Profile(Markers);
  for (jpeg_saved_marker_ptr M = Markers; M; M = M->next)
    if (Starts(M, JPEG_APP0 + 1, ExifName, sizeof ExifName)) {
      ReadExifBlock(M->data, M->data_length, Meta);
      break;
    }
  return Meta;
}
