// Whole-file helpers and folders. They report nothing: a file that cannot
// be opened yields 0, the default or no action.
#include "VekFiles.h"

#include "VekExceptions.h"
#include "VekFileHandle.h"
#include "VekReplaceFile.h"
#include "VekText.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <new>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Opens an existing file for reading. Folders count as not openable, and a
// named pipe does not block the caller until a writer appears.
TFileHandle OpenForReading(const std::string& FileName) {
  if (FileName.empty())
    return TFileHandle(-1);
  TFileHandle File(::open(FileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat Info {};
  if (File.IsOpen() && (::fstat(File.Fd(), &Info) != 0 || S_ISDIR(Info.st_mode)))
    return TFileHandle(-1);
  return File;
}

} // namespace

namespace detail {

std::string ReadFileBytes(const std::string& FileName, int64_t Size, const std::string& Default) {
  TFileHandle File = OpenForReading(FileName);
  if (!File.IsOpen())
    return Default;
  std::string Text;
  try {
    Text.resize(static_cast<size_t>(std::max<int64_t>(Size, 0)));
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory();
  } catch (const std::length_error&) {
    throw EOutOfMemory();
  }
  // Only what was read is returned: a file that shrank since its size was
  // taken must not come back padded with bytes that were never in it.
  size_t Done = 0;
  while (Done < Text.size()) {
    const ssize_t Got = ::read(File.Fd(), Text.data() + Done, Text.size() - Done);
    if (Got < 0 && errno == EINTR)
      continue;
    if (Got <= 0)
      break;
    Done += static_cast<size_t>(Got);
  }
  Text.resize(Done);
  return Text;
}

} // namespace detail

bool FileReadable(const std::string& FileName) {
  return OpenForReading(FileName).IsOpen();
}

int64_t FileSizeOf(const std::string& FileName) {
  TFileHandle File = OpenForReading(FileName);
  if (!File.IsOpen())
    return 0;
  struct stat Info {};
  if (::fstat(File.Fd(), &Info) != 0)
    throw EInOutError("Cannot read the size of " + FileName);
  if (!File.Close())
    throw EInOutError("Cannot close " + FileName);
  return S_ISREG(Info.st_mode) ? static_cast<int64_t>(Info.st_size) : 0;
}

std::string ReadFileText(const std::string& FileName, const std::string& Default) {
  return detail::ReadFileBytes(FileName, FileSizeOf(FileName), Default);
}

void WriteFileText(const std::string& FileName, const std::string& Text) {
  if (Text.empty() || FileName.empty())
    return;
  TFileHandle File(::open(FileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (File.IsOpen())
    WriteAll(File.Fd(), Text);
}

void CutFileToTail(const std::string& FileName, int64_t Keep) {
  if (Keep > FileSizeOf(FileName))
    return;
  const std::string Text = ReadFileText(FileName, "");
  // The search for a line feed starts Keep bytes before the end (at the
  // start when the text is shorter); the kept part begins behind it.
  const int64_t Start = std::max<int64_t>(static_cast<int64_t>(Text.size()) - Keep, 1);
  const size_t LineFeed = Text.find('\n', static_cast<size_t>(Start - 1));
  // Nothing to cut, or nothing left behind the line feed: the file stays.
  if (LineFeed == std::string::npos || LineFeed + 1 == Text.size())
    return;
  const std::string Tail = Text.substr(LineFeed + 1);
  ReplaceFileDurably(
      FileName, [&](const std::string&, int Fd) { return WriteAll(Fd, Tail); },
      TReplaceMode::KeepMode);
}

bool DirExists(const std::string& Path) {
  struct stat Info {};
  return !Path.empty() && ::stat(Path.c_str(), &Info) == 0 && S_ISDIR(Info.st_mode);
}

void MakeDirPath(const std::string& Path) {
  std::string Rest = Path;
  std::string Field;
  GetParam(Rest, "/", Field);
  std::string Dir = Field;
  // An absolute path begins with an empty field: the root, never created.
  if (!Dir.empty() && !DirExists(Dir))
    ::mkdir(Dir.c_str(), 0777);
  while (!Rest.empty()) {
    GetParam(Rest, "/", Field);
    Dir += "/" + Field;
    if (!Field.empty() && !DirExists(Dir))
      ::mkdir(Dir.c_str(), 0777);
  }
}
