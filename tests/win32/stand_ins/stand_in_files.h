#pragma once

// What the test stand-ins share: their settings file and their record, both
// beside the stand-in's own file, and the hex form in which the record keeps
// bytes (entry names, texts, entry images) exactly as they were passed.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace verolink::stand_in {

// The folder that holds `module` (the stand-in DLL or program), with a
// closing backslash.
inline std::string FolderOf(HMODULE module) {
  char path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
  std::string folder(path, n);
  const std::size_t slash = folder.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

// "key=value" lines; a missing file gives no settings.
inline std::map<std::string, std::string> ReadSettings(const std::string& path) {
  std::map<std::string, std::string> settings;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return settings;
  char line[4096];
  while (std::fgets(line, sizeof line, file) != nullptr) {
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const std::size_t equals = text.find('=');
    if (equals != std::string::npos) settings[text.substr(0, equals)] = text.substr(equals + 1);
  }
  std::fclose(file);
  return settings;
}

inline long SettingNumber(const std::map<std::string, std::string>& settings,
                          const std::string& key, long fallback) {
  const auto found = settings.find(key);
  return found == settings.end() ? fallback : std::strtol(found->second.c_str(), nullptr, 10);
}

inline std::string Hex(const void* data, std::size_t size) {
  static const char digits[] = "0123456789abcdef";
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  std::string hex;
  hex.reserve(size * 2);
  for (std::size_t i = 0; i < size; ++i) {
    hex += digits[bytes[i] >> 4];
    hex += digits[bytes[i] & 15];
  }
  return hex;
}

inline std::string FromHex(const std::string& hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(std::strtol(hex.substr(i, 2).c_str(), nullptr, 16));
  }
  return bytes;
}

// Appends one line to the record; opened and closed per line, so that the
// test can read or remove the file between two calls.
inline void Record(const std::string& path, const std::string& line) {
  FILE* file = std::fopen(path.c_str(), "ab");
  if (file == nullptr) return;
  std::fputs((line + "\n").c_str(), file);
  std::fclose(file);
}

}  // namespace verolink::stand_in
