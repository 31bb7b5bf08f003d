#include "VekIniStore.h"

#include "VekFileHandle.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace detail {

namespace {

// Removes the temporary file unless it was renamed into place.
class TTemporaryFile {
public:
  explicit TTemporaryFile(std::string Name) : FName(std::move(Name)) {}
  ~TTemporaryFile() {
    if (!FName.empty())
      ::unlink(FName.c_str());
  }
  TTemporaryFile(const TTemporaryFile&) = delete;
  TTemporaryFile& operator=(const TTemporaryFile&) = delete;

  const std::string& Name() const { return FName; }
  void Keep() { FName.clear(); }

private:
  std::string FName;
};

// Writers inside this process queue here; the folder's flock then orders
// them against other processes.
std::mutex WriteMutex;
std::atomic<unsigned> TemporaryCounter{0};

bool WriteAll(int Fd, const std::string& Text) {
  size_t Done = 0;
  while (Done < Text.size()) {
    const ssize_t Written = ::write(Fd, Text.data() + Done, Text.size() - Done);
    if (Written < 0 && errno == EINTR)
      continue;
    if (Written <= 0)
      return false;
    Done += static_cast<size_t>(Written);
  }
  return true;
}

// The file that is really meant: a symbolic link is followed, so that the
// rename replaces its target instead of the link.
std::string ResolvedName(const std::string& FileName) {
  std::unique_ptr<char, decltype(&std::free)> Real(::realpath(FileName.c_str(), nullptr),
                                                   &std::free);
  return Real ? std::string(Real.get()) : FileName;
}

std::string FolderOf(const std::string& FileName) {
  const size_t Slash = FileName.rfind('/');
  if (Slash == std::string::npos)
    return ".";
  return Slash == 0 ? "/" : FileName.substr(0, Slash);
}

// Creates a new, uniquely named file next to FileName. The creation mode
// 0666 lets the process's umask decide, as for any newly made file.
int CreateTemporary(const std::string& FileName, std::string& TemporaryName) {
  const size_t Slash = FileName.rfind('/');
  const std::string Folder = Slash == std::string::npos ? "" : FileName.substr(0, Slash + 1);
  const std::string Base = FileName.substr(Slash == std::string::npos ? 0 : Slash + 1);
  for (int Attempt = 0; Attempt < 100; ++Attempt) {
    TemporaryName = Folder + "." + Base + "." + std::to_string(::getpid()) + "." +
                    std::to_string(TemporaryCounter++) + ".tmp";
    const int Fd =
        ::open(TemporaryName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (Fd >= 0 || errno != EEXIST)
      return Fd;
  }
  return -1;
}

// Read-only files stay as they are, even for a user the system would let
// replace them.
bool WriteProtected(const std::string& FileName, const struct stat& Info) {
  return (Info.st_mode & 0222) == 0 || ::access(FileName.c_str(), W_OK) != 0;
}

bool ReplaceFile(const std::string& FileName, const std::string& Content, const struct stat* Old) {
  std::string TemporaryName;
  TFileHandle File(CreateTemporary(FileName, TemporaryName));
  if (File.Fd() < 0)
    return false;
  TTemporaryFile Temporary(TemporaryName);
  if (Old)
    ::fchmod(File.Fd(), Old->st_mode & 07777);
  if (!WriteAll(File.Fd(), Content) || ::fsync(File.Fd()) != 0 || !File.Close())
    return false;
  if (::rename(Temporary.Name().c_str(), FileName.c_str()) != 0)
    return false;
  Temporary.Keep();
  return true;
}

} // namespace

TSettingsRead ReadSettingsFile(const std::string& FileName, std::string& Content) {
  Content.clear();
  if (FileName.empty())
    return TSettingsRead::Missing;
  TFileHandle File(::open(FileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (File.Fd() < 0)
    return errno == ENOENT ? TSettingsRead::Missing : TSettingsRead::Failed;
  struct stat Info {};
  if (::fstat(File.Fd(), &Info) != 0 || !S_ISREG(Info.st_mode))
    return TSettingsRead::Failed;
  char Buffer[65536];
  for (;;) {
    const ssize_t Got = ::read(File.Fd(), Buffer, sizeof Buffer);
    if (Got < 0 && errno == EINTR)
      continue;
    if (Got < 0) {
      Content.clear();
      return TSettingsRead::Failed;
    }
    if (Got == 0)
      return TSettingsRead::Read;
    Content.append(Buffer, static_cast<size_t>(Got));
  }
}

void UpdateSettingsFile(const std::string& FileName,
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
  const TSettingsRead Read = ReadSettingsFile(Target, Content);
  if (Read == TSettingsRead::Failed)
    return;
  struct stat Info {};
  const bool Exists = Read == TSettingsRead::Read && ::stat(Target.c_str(), &Info) == 0;
  if (Exists && WriteProtected(Target, Info))
    return;
  Change(Content);
  if (ReplaceFile(Target, Content, Exists ? &Info : nullptr))
    ::fsync(Folder.Fd());
}

} // namespace detail
