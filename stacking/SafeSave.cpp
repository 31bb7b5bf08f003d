#include "SafeSave.h"

#include "ImageMessages.h"
#include "VekExceptions.h"
#include "VekReplaceFile.h"
#include "VekUtil.h"

void SaveTiff16Replacing(const std::string& FileName, TTiffCompression Compression, uint32_t Width,
                         uint32_t Height, const TTileSource& Source) {
  // Until the writer has run, a failure is the creation's.
  std::string Message = MsgCannotCreateTiff(FileName);
  std::string Sibling;
  const bool Replaced = ReplaceFileDurably(FileName, [&](const std::string& SiblingName, int) {
    Sibling = SiblingName;
    bool Failed = false;
    InternalSaveTiff16Tiles(SiblingName, Compression, Width, Height, Source, Failed, Message);
    return !Failed;
  });
  if (!Replaced)
    throw Exception(Sibling.empty() ? Message : ReplaceAll(Message, Sibling, FileName, 1));
}
