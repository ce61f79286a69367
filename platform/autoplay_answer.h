// The AutoPlay handler's answer to the shell's AllowAutoPlay: which drive
// the path names, and whether AutoPlay is cancelled for it. Portable, so that
// the answer is decided by tested code.
#pragma once

namespace tolvimer {

// The root ("E:\", upper case) of the drive a wide path names: a letter and
// a colon, then a backslash, a slash or the end; a leading "\\?\" is passed
// over. False, with `root` empty, for any other path.
bool DriveRootOfPath(const wchar_t* path, char (&root)[4]);

// Whether AutoPlay is cancelled for `path`: only for the watched drive
// (`watchedRoot`, "E:\"), or for every drive when no drive is watched
// (`watchedRoot` empty). A path that names no drive is let through while a
// drive is watched.
bool CancelsAutoPlayFor(const wchar_t* path, const char* watchedRoot);

}  // namespace tolvimer
