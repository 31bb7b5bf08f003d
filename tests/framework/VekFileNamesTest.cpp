#include "VekFileNames.h"

#include <gtest/gtest.h>

namespace {

struct TParts {
  std::string Path, Name, Ext, Folder;
};

TParts PartsOf(const std::string& FileName) {
  return {ExtractFilePath(FileName), ExtractFileName(FileName), ExtractFileExt(FileName),
          FolderOf(FileName)};
}

void ExpectParts(const std::string& FileName, const TParts& Expected) {
  const TParts Got = PartsOf(FileName);
  EXPECT_EQ(Got.Path, Expected.Path) << FileName;
  EXPECT_EQ(Got.Name, Expected.Name) << FileName;
  EXPECT_EQ(Got.Ext, Expected.Ext) << FileName;
  EXPECT_EQ(Got.Folder, Expected.Folder) << FileName;
}

} // namespace

TEST(VekFileNames, PartsOfAName) {
  ExpectParts("/home/u/IMG_0001.JPG", {"/home/u/", "IMG_0001.JPG", ".JPG", "/home/u/"});
  ExpectParts("", {"", "", "", "."});
  // No folder: the current one is the folder to open.
  ExpectParts("x", {"", "x", "", "."});
  ExpectParts("a.tar.gz", {"", "a.tar.gz", ".gz", "."});
  // No extension, and dots that belong to a folder's name.
  ExpectParts("/data/v1.2/result", {"/data/v1.2/", "result", "", "/data/v1.2/"});
  ExpectParts("rel.d/b.tif", {"rel.d/", "b.tif", ".tif", "rel.d/"});
  // A trailing separator leaves no name part.
  ExpectParts("/data/out/", {"/data/out/", "", "", "/data/out/"});
  ExpectParts("/", {"/", "", "", "/"});
  ExpectParts("/x", {"/", "x", "", "/"});
  // A name that is all extension, and one ending in a dot.
  ExpectParts("/h/.hidden", {"/h/", ".hidden", ".hidden", "/h/"});
  ExpectParts("name.", {"", "name.", ".", "."});
}

TEST(VekFileNames, ChangeFileExtTouchesTheNamePartOnly) {
  EXPECT_EQ(ChangeFileExt("/p/IMG_1.JPG", ".tif"), "/p/IMG_1.tif");
  EXPECT_EQ(ChangeFileExt("/p/a.tar.gz", ".tif"), "/p/a.tar.tif");
  EXPECT_EQ(ChangeFileExt("/p.d/result", ".tif"), "/p.d/result.tif");
  EXPECT_EQ(ChangeFileExt("/p/out/", ".tif"), "/p/out/.tif");
  EXPECT_EQ(ChangeFileExt("", ".tif"), ".tif");
  EXPECT_EQ(ChangeFileExt("/p/Errors.Txt", ""), "/p/Errors");
  EXPECT_EQ(ChangeFileExt("/p/Errors.Txt", " 2026-01-02.Txt"), "/p/Errors 2026-01-02.Txt");
}
