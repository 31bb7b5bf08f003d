#include "VekUserFolders.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string WithSeparator(const std::string& Folder) {
  return !Folder.empty() && Folder.back() == '/' ? Folder : Folder + "/";
}

// An environment variable's value when it is an absolute path; relative
// values are ignored, as the XDG rules ask.
fs::path AbsoluteFromEnvironment(const char* Name) {
  const char* Value = std::getenv(Name);
  if (!Value || Value[0] != '/')
    return {};
  return Value;
}

fs::path HomeFolder() {
  fs::path Home = AbsoluteFromEnvironment("HOME");
  if (!Home.empty())
    return Home;
  long Size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> Buffer(Size > 0 ? static_cast<size_t>(Size) : 16384);
  passwd Entry{};
  passwd* Found = nullptr;
  if (getpwuid_r(geteuid(), &Entry, Buffer.data(), Buffer.size(), &Found) == 0 && Found &&
      Found->pw_dir && Found->pw_dir[0] == '/')
    return Found->pw_dir;
  return {};
}

// Every missing folder on the way is made private to the user; a failure
// shows later as a failed write, which each file's owner already handles.
void MakePrivateFolders(const fs::path& Folder) {
  fs::path Partial;
  for (const fs::path& Part : Folder) {
    Partial /= Part;
    if (::mkdir(Partial.c_str(), 0700) != 0 && errno != EEXIST)
      return;
  }
}

std::string WritableOrUserFolder(const std::string& Folder, const char* BaseVariable,
                                 const char* HomeDefault) {
  if (detail::FolderWritable(Folder))
    return WithSeparator(Folder);
  fs::path Base = AbsoluteFromEnvironment(BaseVariable);
  if (Base.empty()) {
    const fs::path Home = HomeFolder();
    if (Home.empty())
      return WithSeparator(Folder);
    Base = Home / HomeDefault;
  }
  const fs::path Own = Base / "velmora";
  MakePrivateFolders(Own);
  return WithSeparator(Own.lexically_normal().string());
}

} // namespace

namespace detail {

bool FolderWritable(const std::string& Folder) {
  return !Folder.empty() && faccessat(AT_FDCWD, Folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

std::string IniFolder(const std::string& ProgramFolder) {
  return WritableOrUserFolder(ProgramFolder, "XDG_CONFIG_HOME", ".config");
}

std::string ErrorLogFolder(const std::string& StartFolder) {
  return WritableOrUserFolder(StartFolder, "XDG_STATE_HOME", ".local/state");
}

} // namespace detail
