#include "RunMeta.h"

void TRunMeta::Add(const TPictureMeta& Meta, const std::string& FileName, TRunHost& Host) {
  if (!FTaken) {
    FFirst = Meta;
    FTaken = true;
    return;
  }
  if (Meta.IccProfile != FFirst.IccProfile)
    Host.Warn("'" + FileName + "' has another colour profile than the first file; " +
              "the result keeps the first file's");
}
