#include "VekReplaceFile.h"

#include "VekFileHandle.h"
#include "VekFileNames.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string SiblingEnd = ".tmp";

std::atomic<unsigned> SiblingCounter{0};

// Removes the sibling unless it was renamed into place.
class TSibling {
public:
  explicit TSibling(std::string Name) : FName(std::move(Name)) {}
  ~TSibling() {
    if (!FName.empty())
      ::unlink(FName.c_str());
  }
  TSibling(const TSibling&) = delete;
  TSibling& operator=(const TSibling&) = delete;

  const std::string& Name() const { return FName; }
  void Keep() { FName.clear(); }

private:
  std::string FName;
};

struct TDirCloser {
  void operator()(DIR* Dir) const { ::closedir(Dir); }
};

std::string SiblingPrefix(const std::string& Base) {
  return "." + Base + ".";
}

// Siblings whose process is gone were left by a kill or a crash; those of
// a running process may still be written and stay.
void RemoveLeftovers(const std::string& FileName) {
  const std::string Base = ExtractFileName(FileName);
  std::unique_ptr<DIR, TDirCloser> Dir(::opendir(FolderOf(FileName).c_str()));
  if (!Dir)
    return;
  while (const dirent* Entry = ::readdir(Dir.get())) {
    long Pid = 0;
    if (detail::IsSiblingName(Entry->d_name, Base, Pid) &&
        ::kill(static_cast<pid_t>(Pid), 0) != 0 && errno == ESRCH)
      ::unlinkat(::dirfd(Dir.get()), Entry->d_name, 0);
  }
}

// Creates a new file of unique name next to FileName. The creation mode
// 0666 lets the process's umask decide, as for any newly made file.
int CreateSibling(const std::string& FileName, std::string& SiblingName) {
  const std::string Start = ExtractFilePath(FileName) + SiblingPrefix(ExtractFileName(FileName)) +
                            std::to_string(::getpid()) + ".";
  for (int Attempt = 0; Attempt < 100; ++Attempt) {
    SiblingName = Start + std::to_string(SiblingCounter++) + SiblingEnd;
    const int Fd =
        ::open(SiblingName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (Fd >= 0 || errno != EEXIST)
      return Fd;
  }
  return -1;
}

void SyncFolder(const std::string& FileName) {
  TFileHandle Folder(::open(FolderOf(FileName).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (Folder.IsOpen())
    ::fsync(Folder.Fd());
}

} // namespace

namespace detail {

bool IsSiblingName(const std::string& Name, const std::string& Base, long& Pid) {
  const std::string Prefix = SiblingPrefix(Base);
  if (Base.empty() || Name.size() <= Prefix.size() + SiblingEnd.size() ||
      Name.compare(0, Prefix.size(), Prefix) != 0 ||
      Name.compare(Name.size() - SiblingEnd.size(), SiblingEnd.size(), SiblingEnd) != 0)
    return false;
  // What lies between is "<pid>.<counter>", both decimal.
  const std::string Middle =
      Name.substr(Prefix.size(), Name.size() - Prefix.size() - SiblingEnd.size());
  const size_t Dot = Middle.find('.');
  const auto Digits = [](const std::string& Text) {
    return !Text.empty() && Text.size() <= 10 &&
           Text.find_first_not_of("0123456789") == std::string::npos;
  };
  if (Dot == std::string::npos || !Digits(Middle.substr(0, Dot)) || !Digits(Middle.substr(Dot + 1)))
    return false;
  Pid = std::stol(Middle.substr(0, Dot));
  return Pid > 0 && Pid <= std::numeric_limits<pid_t>::max();
}

} // namespace detail

bool WriteAll(int Fd, const std::string& Content) {
  size_t Done = 0;
  while (Done < Content.size()) {
    const ssize_t Written = ::write(Fd, Content.data() + Done, Content.size() - Done);
    if (Written < 0 && errno == EINTR)
      continue;
    if (Written <= 0)
      return false;
    Done += static_cast<size_t>(Written);
  }
  return true;
}

bool ReplaceFileDurably(const std::string& FileName, const TSiblingWriter& Write,
                        TReplaceMode Mode) {
  if (ExtractFileName(FileName).empty())
    return false;
  RemoveLeftovers(FileName);
  std::string SiblingName;
  TFileHandle File(CreateSibling(FileName, SiblingName));
  if (!File.IsOpen())
    return false;
  TSibling Sibling(SiblingName);
  struct stat Old {};
  if (Mode == TReplaceMode::KeepMode && ::stat(FileName.c_str(), &Old) == 0)
    ::fchmod(File.Fd(), Old.st_mode & 07777);
  // The data reaches the disk before the name does: after a crash the name
  // holds either the old file or the whole new one.
  if (!Write(Sibling.Name(), File.Fd()) || ::fsync(File.Fd()) != 0 || !File.Close())
    return false;
  if (::rename(Sibling.Name().c_str(), FileName.c_str()) != 0)
    return false;
  Sibling.Keep();
  // The new name reaches the disk; the file is replaced whether or not
  // this succeeds, so it cannot be reported as a failure.
  SyncFolder(FileName);
  return true;
}
