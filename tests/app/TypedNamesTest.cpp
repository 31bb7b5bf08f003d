#include "TypedNames.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

QString Q(const std::string& Text) {
  return QString::fromStdString(Text);
}

TEST(TypedNames, EveryTypedNameIsTakenInItsOrder) {
  EXPECT_EQ(SplitTypedNames("a.jpg"), QStringList{"a.jpg"});
  // Without quotes the whole text is one name, blanks inside kept.
  EXPECT_EQ(SplitTypedNames("  my photo.jpg "), QStringList{"my photo.jpg"});
  EXPECT_EQ(SplitTypedNames("\"a.jpg\" \"b.jpeg\" \"c.jpg\""),
            (QStringList{"a.jpg", "b.jpeg", "c.jpg"}));
  EXPECT_EQ(SplitTypedNames("\"c.jpg\"\"a.jpg\""), (QStringList{"c.jpg", "a.jpg"}));
  // Quoted names are taken as written, words between them are names too.
  EXPECT_EQ(SplitTypedNames("c.jpg \" a b.jpg\"  d.jpg"),
            (QStringList{"c.jpg", " a b.jpg", "d.jpg"}));
  EXPECT_EQ(SplitTypedNames("\"a.jpg\" \"unclosed.jpg"), (QStringList{"a.jpg", "unclosed.jpg"}));
  EXPECT_TRUE(SplitTypedNames("").isEmpty());
  EXPECT_TRUE(SplitTypedNames("   ").isEmpty());
  EXPECT_TRUE(SplitTypedNames("\"\" \"\"").isEmpty());
}

TEST(TypedNames, NamesLieInTheDialogsFolderAndGetTheDefaultExtension) {
  TTempDir Temp;
  WriteBytes(Temp.File("a.jpg"), "x");
  WriteBytes(Temp.File("README"), "x");
  const QDir Folder(Q(Temp.Path().string()));
  const QString Base = Q(Temp.Path().string()) + "/";

  EXPECT_EQ(ResolveTypedName(Folder, "a.jpg", "jpg"), Base + "a.jpg");
  EXPECT_EQ(ResolveTypedName(Folder, "a", "jpg"), Base + "a.jpg");
  // A name of an existing file keeps its name; one with an extension too.
  EXPECT_EQ(ResolveTypedName(Folder, "README", "jpg"), Base + "README");
  EXPECT_EQ(ResolveTypedName(Folder, "b.jpeg", "jpg"), Base + "b.jpeg");
  EXPECT_EQ(ResolveTypedName(Folder, "nosuch", "jpg"), Base + "nosuch.jpg");
  EXPECT_EQ(ResolveTypedName(Folder, "nosuch", ""), Base + "nosuch");
  EXPECT_EQ(ResolveTypedName(Folder, "sub/../a.jpg", "jpg"), Base + "a.jpg");
  EXPECT_EQ(ResolveTypedName(Folder, "/elsewhere/x.tif", "jpg"), "/elsewhere/x.tif");
  EXPECT_EQ(ResolveTypedName(Folder, "~/x.tif", "jpg"), QDir::homePath() + "/x.tif");
  EXPECT_EQ(ResolveTypedName(Folder, "~", "jpg"), QDir::homePath());
  EXPECT_EQ(ResolveTypedName(Folder, "..", "jpg"), QDir::cleanPath(Base + ".."));
}

} // namespace
