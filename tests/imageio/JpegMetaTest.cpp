// A JPEG's profile is put together only from a complete, consistent set of
// segments, in their numbered order; damaged EXIF gives no fields.
#include "JpegInput.h"
#include "JpegMaker.h"
#include "MetaMaker.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

using TSegments = std::vector<std::pair<int, std::string>>;

TPictureMeta MetaOf(const TTempDir& Dir, const TSegments& Segments) {
  const std::string Plain = EncodeJpeg(TJpegPicture::Solid(8, 8, TJpegKind::Rgb, {1, 2, 3}));
  WriteBytes(Dir.File("meta.jpg"), WithSegments(Plain, Segments));
  TJpegImage Image;
  LoadJpegHeader(Image, Dir.File("meta.jpg"));
  return Image.Meta();
}

TEST(JpegMeta, ProfileOnlyFromACompleteSetOfSegmentsInTheirNumberedOrder) {
  TTempDir Dir;
  const std::vector<uint8_t> Profile = TestProfile(140000, 5);
  const TSegments Whole = IccSegments(Profile);
  ASSERT_EQ(Whole.size(), 3u);
  struct TCase {
    const char* Name;
    TSegments Segments;
    std::vector<uint8_t> Expected;
  };
  const TCase Cases[] = {
      {"in order", Whole, Profile},
      {"numbered order, stored backwards", {Whole[2], Whole[1], Whole[0]}, Profile},
      {"one missing", {Whole[0], Whole[2]}, {}},
      {"one twice", {Whole[0], Whole[1], Whole[1], Whole[2]}, {}},
      {"none", {}, {}},
      {"header cut short", {{0xE2, std::string("ICC_PROFILE\0\1", 13)}}, {}},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    EXPECT_EQ(MetaOf(Dir, Case.Segments).IccProfile, Case.Expected);
  }
}

TEST(JpegMeta, DamagedExifGivesNoFields) {
  TTempDir Dir;
  using F = TExifField;
  std::string Exif = ExifSegment({F::Text(271, "Velmora Cam")}, {}, {}).second;
  // The make's text placed far beyond the block: after "Exif\0\0", the
  // TIFF header and the entry count, the entry's offset is at byte 24.
  Exif.replace(24, 4, "\x00\xFF\xFF\xFF");
  EXPECT_TRUE(MetaOf(Dir, {{0xE1, Exif}}).NoFields());
  EXPECT_TRUE(MetaOf(Dir, {{0xE1, std::string("Exif\0\0II*\0", 10)}}).NoFields());
}

} // namespace
