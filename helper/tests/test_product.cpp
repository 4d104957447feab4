// Stand-in for the desktop product Tavrin.exe: records the command line it was started with.
// The record goes to the file named by TAVRIN_PRODUCT_RECORD, else to Tavrin-commandline.txt
// beside the executable, as UTF-8 without a line end, written whole or not at all. Before it,
// the window placement it was given goes to the same name with ".startup" appended.
#include <cstdio>
#include <string>

#include <windows.h>

namespace {

std::wstring recordPath() {
  wchar_t configured[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(L"TAVRIN_PRODUCT_RECORD", configured, MAX_PATH);
  if (length > 0 && length < MAX_PATH) return configured;
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self);
  return path.substr(0, path.find_last_of(L"\\/") + 1) + L"Tavrin-commandline.txt";
}

std::string toUtf8(const wchar_t* text) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return std::string();
  std::string narrow(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, &narrow[0], length, nullptr, nullptr);
  narrow.resize(static_cast<std::size_t>(length - 1));
  return narrow;
}

// The placement fields of the start-up information, as the starting program filled them in.
std::string startupText() {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);
  char text[160];
  std::snprintf(text, sizeof text, "x=%08lX y=%08lX width=%08lX height=%08lX flags=%08lX",
                startup.dwX, startup.dwY, startup.dwXSize, startup.dwYSize, startup.dwFlags);
  return text;
}

// Written under another name first, so a reader polling for the file never sees half of it.
bool writeWhole(const std::wstring& path, const std::string& content) {
  const std::wstring partial = path + L".partial";
  HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok =
      WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
  if (!ok || written != content.size()) return false;
  return MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::wstring path = recordPath();
  if (!writeWhole(path + L".startup", startupText())) return 1;
  return writeWhole(path, toUtf8(GetCommandLineW())) ? 0 : 1;
}
