#include "SafeSave.h"

#include "ImageMessages.h"
#include "VekExceptions.h"
#include "VekReplaceFile.h"

#include <cerrno>
#include <functional>

namespace {

// Write fills the sibling's descriptor and raises the writer's messages,
// which already name FileName.
void SaveReplacing(const std::string& FileName, const std::function<void(int Fd)>& Write) {
  errno = 0;
  const bool Replaced = ReplaceFileDurably(FileName, [&](const std::string&, int Fd) {
    Write(Fd);
    return true;
  });
  // The sibling could not be made, synced or renamed: to the user, the
  // output could not be created.
  if (!Replaced)
    throw Exception(MsgCannotCreateTiff(FileName), SystemCause(errno));
}

} // namespace

void SaveTiff16Replacing(const std::string& FileName, const TTiffResult& Result,
                         const TTileSource& Source) {
  SaveReplacing(FileName, [&](int Fd) { WriteTiff16(Fd, FileName, Result, Source); });
}

void SaveTiffFloatReplacing(const std::string& FileName, const TTiffResult& Result,
                            const TFloatSource& Source) {
  SaveReplacing(FileName, [&](int Fd) { WriteTiffFloat(Fd, FileName, Result, Source); });
}
