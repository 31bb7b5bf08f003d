#pragma once
// Replacing a file whole, so that a crash or a power cut at any moment
// leaves either the old file or the complete new one: the new content goes
// to a sibling of unique name in the same folder, its data is synced, the
// sibling is renamed over the file and the folder is synced.
#include <functional>
#include <string>

// Writes the new content into the sibling, named SiblingName and open as
// Fd (a writer may use either; the descriptor stays the routine's). False
// for a failure.
using TSiblingWriter = std::function<bool(const std::string& SiblingName, int Fd)>;

enum class TReplaceMode {
  NewFile,  // the access mode any newly made file gets
  KeepMode, // the access mode of the file replaced, when there is one
};

// True when FileName now holds what Write wrote. On any failure FileName is
// untouched and the sibling removed; an exception from Write passes on
// after that. Siblings left by killed processes for the same FileName are
// removed first, so they never pile up.
bool ReplaceFileDurably(const std::string& FileName, const TSiblingWriter& Write,
                        TReplaceMode Mode = TReplaceMode::NewFile);

// The whole of Content written to the open descriptor Fd.
bool WriteAll(int Fd, const std::string& Content);

namespace detail {
// Whether Name is a sibling that ReplaceFileDurably made for FileName's
// name part Base; Pid is then the process that made it.
bool IsSiblingName(const std::string& Name, const std::string& Base, long& Pid);
} // namespace detail
