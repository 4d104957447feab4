// Finding the desktop product beside the helper and starting it with a URL.
#include <io.h>
#include <vector>

#include <windows.h>

#include "helper/helper_folder.h"
#include "helper/helper_log.h"
#include "helper/tavrin_server.h"
#include "helper/text_widening.h"

namespace helper {

bool Tavrinserver::findProduct() {
  if (_waccess(productPath().c_str(), 0) != 0) {
    writeLog("Helper can't find Tavrin");
    return false;
  }
  return true;
}

bool Tavrinserver::launchProduct(std::string url) {
  const std::wstring program = productPath();
  const std::wstring commandLine = program + L" \"" + utf8ToWide(url) + L"\"";

  if (!findProduct()) {
    writeLog("Helper can't find Tavrin");
    return false;
  }
  writeLog("openning Tavrin from: " + wideToUtf8(commandLine));

  // CreateProcessW may write into the command line, so it gets a copy of its own.
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(L'\0');
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwX = CW_USEDEFAULT;
  startup.dwY = CW_USEDEFAULT;
  startup.dwXSize = CW_USEDEFAULT;
  startup.dwYSize = CW_USEDEFAULT;
  PROCESS_INFORMATION process = {};
  // The program is named explicitly: from the unquoted command line alone the system would
  // try "C:\A.exe" first for a helper in "C:\A B\".
  const BOOL created = CreateProcessW(program.c_str(), buffer.data(), nullptr, nullptr, FALSE,
                                      CREATE_NEW_CONSOLE | CREATE_UNICODE_ENVIRONMENT, nullptr,
                                      nullptr, &startup, &process);
  const DWORD error = created ? ERROR_SUCCESS : GetLastError();
  if (created) {
    // Closed before logging, so a failure to log cannot leak them.
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  try {
    if (created) {
      writeLog("Passed url to Tavrin");
      return true;
    }
    writeLog("Error in createProcess: " + std::to_string(error));
    return false;
  } catch (...) {
    writeLog("Failed to pass url to Tavrin");
    return created != FALSE;
  }
}

}  // namespace helper
