#include "VekIniStore.h"

#include "VekFileHandle.h"
#include "VekFileNames.h"
#include "VekReplaceFile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace detail {

namespace {

// Writers inside this process queue here; the folder's flock then orders
// them against other processes.
std::mutex WriteMutex;

// The file that is really meant: a symbolic link is followed, so that the
// rename replaces its target instead of the link.
std::string ResolvedName(const std::string& FileName) {
  std::unique_ptr<char, decltype(&std::free)> Real(::realpath(FileName.c_str(), nullptr),
                                                   &std::free);
  return Real ? std::string(Real.get()) : FileName;
}

// Read-only files stay as they are, even for a user the system would let
// replace them.
bool WriteProtected(const std::string& FileName, const struct stat& Info) {
  return (Info.st_mode & 0222) == 0 || ::access(FileName.c_str(), W_OK) != 0;
}

} // namespace

TIniRead ReadIniFile(const std::string& FileName, std::string& Content) {
  Content.clear();
  if (FileName.empty())
    return TIniRead::Missing;
  TFileHandle File(::open(FileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (File.Fd() < 0)
    return errno == ENOENT ? TIniRead::Missing : TIniRead::Failed;
  struct stat Info {};
  if (::fstat(File.Fd(), &Info) != 0 || !S_ISREG(Info.st_mode))
    return TIniRead::Failed;
  char Buffer[65536];
  for (;;) {
    const ssize_t Got = ::read(File.Fd(), Buffer, sizeof Buffer);
    if (Got < 0 && errno == EINTR)
      continue;
    if (Got < 0) {
      Content.clear();
      return TIniRead::Failed;
    }
    if (Got == 0)
      return TIniRead::Read;
    Content.append(Buffer, static_cast<size_t>(Got));
  }
}

void UpdateIniFile(const std::string& FileName,
                   const std::function<void(std::string& Content)>& Change) {
  if (FileName.empty())
    return;
  std::lock_guard<std::mutex> ThreadLock(WriteMutex);
  const std::string Target = ResolvedName(FileName);
  // The folder is locked rather than the file: the rename gives the file a
  // new inode, so a lock on it would not exclude the next writer.
  TFileHandle Folder(::open(FolderOf(Target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (Folder.Fd() < 0)
    return;
  while (::flock(Folder.Fd(), LOCK_EX) != 0) {
    if (errno != EINTR)
      return;
  }

  std::string Content;
  const TIniRead Read = ReadIniFile(Target, Content);
  if (Read == TIniRead::Failed)
    return;
  struct stat Info {};
  const bool Exists = Read == TIniRead::Read && ::stat(Target.c_str(), &Info) == 0;
  if (Exists && WriteProtected(Target, Info))
    return;
  const std::string Before = Content;
  Change(Content);
  // Writing what is already there would cost a replace and two syncs for
  // nothing; a window run writes its settings once per file.
  if (Exists && Content == Before)
    return;
  ReplaceFileDurably(
      Target, [&](const std::string&, int Fd) { return WriteAll(Fd, Content); },
      TReplaceMode::KeepMode);
}

} // namespace detail
