#pragma once

// Files of exported actions handed to the program, on its command line or by a later start, go to the
// settings window, which imports them. This one switch decides the help text and whether a start with
// files is refused with the message and the exit status below.
namespace ZRActionFileImport {

// Whether files handed to the program are imported.
inline constexpr bool Available = true;
// What a start with files says, and the status it ends with, while they are not imported.
inline constexpr char UnavailableMessage[] = "importing files of exported actions is not available yet";
inline constexpr int UnavailableExitStatus = 1;

} // namespace ZRActionFileImport
