// What a program key of the end-to-end tests starts: writes "started" and the rest of its command
// line into the file its first argument names, so that the test sees that it ran, with which
// arguments and in which folder.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc < 2) return 2;
  FILE* file = _wfopen(argv[1], L"w, ccs=UTF-8");
  if (file == nullptr) return 3;
  wchar_t folder[MAX_PATH] = L"";
  GetCurrentDirectoryW(MAX_PATH, folder);
  std::fwprintf(file, L"started\nfolder=%ls\n", folder);
  for (int i = 2; i < argc; ++i) std::fwprintf(file, L"arg=%ls\n", argv[i]);
  std::fclose(file);
  LocalFree(argv);
  return 0;
}
