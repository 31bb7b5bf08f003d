#include "SafeSave.h"

#include "ImageMessages.h"
#include "VekExceptions.h"
#include "VekReplaceFile.h"
#include "VekUtil.h"

#include <cerrno>

void SaveTiff16Replacing(const std::string& FileName, TSaveLayout Layout,
                         TTiffCompression Compression, uint32_t Width, uint32_t Height,
                         const TTileSource& Source) {
  std::string Sibling;
  bool Replaced = false;
  try {
    errno = 0;
    Replaced = ReplaceFileDurably(FileName, [&](const std::string& SiblingName, int) {
      Sibling = SiblingName;
      SaveTiff16FromSource(SiblingName, Layout, Compression, Width, Height, Source);
      return true;
    });
  } catch (const Exception& Failure) {
    // The writer names the sibling; the user knows only FileName.
    throw Exception(ReplaceAll(Failure.Message(), Sibling, FileName, 1), Failure.Cause());
  }
  // The sibling could not be made, synced or renamed: to the user, the
  // output could not be created.
  if (!Replaced)
    throw Exception(MsgCannotCreateTiff(FileName), SystemCause(errno));
}
