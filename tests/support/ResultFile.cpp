#include "ResultFile.h"

#include "VekFileHandle.h"

#include <fcntl.h>
#include <functional>
#include <stdexcept>

namespace {

void WithNewFile(const std::string& FileName, const std::function<void(int Fd)>& Write) {
  TFileHandle File(::open(FileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (!File.IsOpen())
    throw std::runtime_error("cannot create " + FileName);
  Write(File.Fd());
}

} // namespace

void SaveTiffFile(const std::string& FileName, const TTiffResult& Result,
                  const TTileSource& Source) {
  WithNewFile(FileName, [&](int Fd) { WriteTiff16(Fd, FileName, Result, Source); });
}

void SaveTiffFloatFile(const std::string& FileName, const TTiffResult& Result,
                       const TFloatSource& Source) {
  WithNewFile(FileName, [&](int Fd) { WriteTiffFloat(Fd, FileName, Result, Source); });
}
