#include "platform/autoplay_answer.h"

namespace tolvimer {

bool DriveRootOfPath(const wchar_t* path, char (&root)[4]) {
  root[0] = '\0';
  if (!path) return false;
  const wchar_t* p = path;
  if (p[0] == L'\\' && p[1] == L'\\' && p[2] == L'?' && p[3] == L'\\') p += 4;
  wchar_t letter = p[0];
  if (letter >= L'a' && letter <= L'z') letter = static_cast<wchar_t>(letter - L'a' + L'A');
  if (letter < L'A' || letter > L'Z' || p[1] != L':') return false;
  if (p[2] != L'\0' && p[2] != L'\\' && p[2] != L'/') return false;
  root[0] = static_cast<char>(letter);
  root[1] = ':';
  root[2] = '\\';
  root[3] = '\0';
  return true;
}

bool CancelsAutoPlayFor(const wchar_t* path, const char* watchedRoot) {
  if (!watchedRoot || watchedRoot[0] == '\0') return true;
  char asked[4];
  char watched = watchedRoot[0];
  if (watched >= 'a' && watched <= 'z') watched = static_cast<char>(watched - 'a' + 'A');
  return DriveRootOfPath(path, asked) && asked[0] == watched;
}

}  // namespace tolvimer
