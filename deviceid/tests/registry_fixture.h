// Saves one registry value when a test starts and puts it back as it was when the test ends.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace deviceid_test {

/// One value in one registry view. Restores the saved state on destruction.
class SavedRegistryValue {
 public:
  SavedRegistryValue(HKEY root, std::string path, std::string name, REGSAM view)
      : root_(root), path_(std::move(path)), name_(std::move(name)), view_(view) {
    HKEY key = open(KEY_QUERY_VALUE);
    if (key == nullptr) {
      return;
    }
    DWORD size = 0;
    if (RegQueryValueExA(key, name_.c_str(), nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
      data_.resize(size);
      existed_ = RegQueryValueExA(key, name_.c_str(), nullptr, &type_, data_.data(), &size) ==
                 ERROR_SUCCESS;
      data_.resize(size);
    }
    RegCloseKey(key);
  }
  ~SavedRegistryValue() {
    if (existed_) {
      write(type_, data_.data(), static_cast<DWORD>(data_.size()));
    } else {
      remove();
    }
  }
  SavedRegistryValue(const SavedRegistryValue&) = delete;
  SavedRegistryValue& operator=(const SavedRegistryValue&) = delete;

  /// Writes raw bytes with the given type; true on success.
  bool write(DWORD type, const void* data, DWORD size) const {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root_, path_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE | view_, nullptr, &key, nullptr) != ERROR_SUCCESS) {
      return false;
    }
    const bool ok = RegSetValueExA(key, name_.c_str(), 0, type,
                                   static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
  }
  /// Writes the text through the narrow API (Wine adds a missing terminator itself).
  bool writeText(const std::string& text, bool withTerminator = false) const {
    return write(REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + (withTerminator ? 1 : 0)));
  }
  /// Deletes the value; true when it is absent afterwards.
  bool remove() const {
    HKEY key = open(KEY_SET_VALUE);
    if (key == nullptr) {
      return true;
    }
    const LONG status = RegDeleteValueA(key, name_.c_str());
    RegCloseKey(key);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
  }
  /// True and the stored bytes and type when the value exists in this view.
  bool read(std::vector<BYTE>& data, DWORD& type) const {
    HKEY key = open(KEY_QUERY_VALUE);
    if (key == nullptr) {
      return false;
    }
    DWORD size = 0;
    bool ok = RegQueryValueExA(key, name_.c_str(), nullptr, &type, nullptr, &size) ==
              ERROR_SUCCESS;
    if (ok) {
      data.assign(size, 0);
      ok = RegQueryValueExA(key, name_.c_str(), nullptr, &type, data.data(), &size) ==
           ERROR_SUCCESS;
      data.resize(size);
    }
    RegCloseKey(key);
    return ok;
  }
  bool exists() const {
    std::vector<BYTE> data;
    DWORD type = 0;
    return read(data, type);
  }

 private:
  HKEY open(REGSAM access) const {
    HKEY key = nullptr;
    return RegOpenKeyExA(root_, path_.c_str(), 0, access | view_, &key) == ERROR_SUCCESS ? key
                                                                                         : nullptr;
  }

  HKEY root_;
  std::string path_;
  std::string name_;
  REGSAM view_;
  bool existed_ = false;
  DWORD type_ = REG_NONE;
  std::vector<BYTE> data_;
};

}  // namespace deviceid_test
