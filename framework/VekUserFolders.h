#pragma once
// Where the program's own files go. A build tree or a portable copy keeps
// them where they always were (the settings beside the program, the error
// log in the start folder); an installed program cannot write there, so its
// files move to the user's own folders, as the platform the program came
// from does by itself.
#include <string>

namespace detail {

// True when the effective user may create files in Folder.
bool FolderWritable(const std::string& Folder);

// Both return a folder ending in "/": the given one when it can be written;
// otherwise "velmora/" below the user's base folder, created (mode 0700)
// when missing. The base folder is the XDG variable's value when that is an
// absolute path, else the default below the home folder. The given folder
// after all when no home folder is known either.

// Settings: the program's folder, else $XDG_CONFIG_HOME (~/.config).
std::string IniFolder(const std::string& ProgramFolder);
// Error log: the start folder, else $XDG_STATE_HOME (~/.local/state).
std::string ErrorLogFolder(const std::string& StartFolder);

} // namespace detail
