#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// What a program needs of the system beyond its files, the same on every
// platform: on Windows strings are UTF-8 here too, and UTF-16 only at the
// system's interface.
namespace tcc {

// Lets no system message box come up for this process (no disk in a drive, a
// file that cannot be opened): the call fails with an error instead. Called
// once, first thing, by each program.
void QuietSystemErrors();

// The program's arguments: on Windows read from the system's UTF-16 command
// line, as UTF-8; elsewhere as given.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// A path the user gave, made absolute against the current folder, without a
// separator at its end but the root's. The system resolves it as it would any
// path: on POSIX systems a ".." after a link leads where "ls" goes (a last "."
// or ".." is no name: there the folder is named as the system finds it); on
// Windows the system itself drops "." and ".." parts, and each part that
// exists is named as the disk holds it (its letter case, the long name of an
// 8.3 one).
std::string FullPath(const std::string& path);

// Is the stream a terminal (on Windows a console) that a user reads or types on?
bool IsTerminal(std::FILE* stream);

// Did the last write fail because the stream's reader has gone (a closed
// pipe)?
bool ReaderGone();

// Writes text to a stream: to a Windows console as UTF-16, so that every
// letter shows whatever its code page; anywhere else its bytes (UTF-8 on
// Windows). False when not all of it could be written.
bool WriteText(std::FILE* stream, std::string_view text);

}  // namespace tcc
