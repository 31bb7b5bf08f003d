#include "SafeSave.h"

#include "FileNames.h"
#include "VekExceptions.h"
#include "VekUtil.h"

#include <cstdio>

std::string PartialFileName(const std::string& FileName) {
  return ExtractFilePath(FileName) + "." + ExtractFileName(FileName) + ".partial";
}

void SaveTiff16Replacing(const std::string& FileName, TTiffCompression Compression, uint32_t Width,
                         uint32_t Height, const TTileSource& Source) {
  const std::string Partial = PartialFileName(FileName);
  bool Failed = false;
  std::string Message;
  InternalSaveTiff16Tiles(Partial, Compression, Width, Height, Source, Failed, Message);
  if (!Failed && std::rename(Partial.c_str(), FileName.c_str()) != 0) {
    Failed = true;
    Message = "Unable to create output TIFF file '" + FileName + "'";
  }
  if (Failed) {
    std::remove(Partial.c_str());
    throw Exception(ReplaceAll(Message, Partial, FileName, 1));
  }
}
