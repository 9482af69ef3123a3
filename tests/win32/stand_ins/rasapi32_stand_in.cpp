// A stand-in rasapi32.dll for the Wine tests: the five phonebook calls the
// program loads, answered as the test's settings say and recorded, with every
// argument and the exact bytes of each entry image, one line per call.
//
// Settings (rasapi32.ini beside the DLL, read at every call; a new "case"
// value starts a fresh phonebook):
//   size=N          entry size reported by the size query (with 603)
//   size_result=N   the size query's result (603 by default)
//   names=N         N listed entries "Entry 1" ... "Entry N"
//   own=NAME        one more entry of that name, listed last
//   grow=once|always  the listing gains an entry right after it answers 603
//   write_error=N, delete_error=N   results of the write and the deletion
//   text.N=HEX      the ANSI bytes of the error text for N; none: nothing written
//   devices=HEX,HEX,...  the device listing: each a type and a name (ANSI
//                   bytes in hex) joined by ':'; none: one "PPPoE" device of
//                   the Russian edition's miniport name
// An entry written is listed from then on, until it is deleted.
// Record (rasapi32.log): "call<TAB>key=value..." with texts and bytes in hex,
// "-" for a null pointer.
// StandInEntryNames, exported for the shell stand-in in the same process,
// gives the names listed now.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "stand_in_files.h"

namespace {

using namespace verolink::stand_in;

constexpr DWORD kBufferTooSmall = 603;
constexpr DWORD kNameRecordSize = 264;  // RASENTRYNAMEA: size, 257 name bytes, padding
constexpr DWORD kAlternateOffsetField = 156;

HMODULE self = nullptr;

struct Phonebook {
  std::string caseName;
  int grown = 0;  // entries added since the case began
  bool ownDeleted = false;
  std::vector<std::string> written;  // entries written that the settings do not list
};
Phonebook phonebook;

std::map<std::string, std::string> Settings() {
  auto settings = ReadSettings(FolderOf(self) + "rasapi32.ini");
  if (settings["case"] != phonebook.caseName) {
    phonebook = Phonebook{};
    phonebook.caseName = settings["case"];
  }
  return settings;
}

void Write(const std::string& line) { Record(FolderOf(self) + "rasapi32.log", line); }

std::string Text(const char* text) { return text == nullptr ? "-" : Hex(text, std::strlen(text)); }
std::string Pointer(const void* p) { return p == nullptr ? "-" : "set"; }
std::string Number(const DWORD* n) { return n == nullptr ? "-" : std::to_string(*n); }

std::vector<std::string> ListedNames(std::map<std::string, std::string>& settings) {
  std::vector<std::string> names;
  const long count = SettingNumber(settings, "names", 0);
  for (long i = 1; i <= count; ++i) names.push_back("Entry " + std::to_string(i));
  for (int i = 1; i <= phonebook.grown; ++i) names.push_back("Added " + std::to_string(i));
  if (!settings["own"].empty() && !phonebook.ownDeleted) names.push_back(settings["own"]);
  names.insert(names.end(), phonebook.written.begin(), phonebook.written.end());
  return names;
}

constexpr DWORD kDeviceRecordSize = 152;  // RASDEVINFOA: size, 17-byte type, 129-byte name
const char kRussianMiniport[] = "\xCC\xE8\xED\xE8\xEF\xEE\xF0\xF2 WAN (PPPoE)";  // cp1251

// The devices the settings list, as (type, name).
std::vector<std::pair<std::string, std::string>> ListedDevices(
    std::map<std::string, std::string>& settings) {
  if (settings.find("devices") == settings.end()) return {{"PPPoE", kRussianMiniport}};
  std::vector<std::pair<std::string, std::string>> devices;
  const std::string& list = settings["devices"];
  for (std::size_t start = 0; start < list.size();) {
    std::size_t end = list.find(',', start);
    if (end == std::string::npos) end = list.size();
    const std::string device = list.substr(start, end - start);
    const std::size_t colon = device.find(':');
    devices.emplace_back(FromHex(device.substr(0, colon)), FromHex(device.substr(colon + 1)));
    start = end + 1;
  }
  return devices;
}

// The size field of the first record a listing call is handed, "-" when it
// is handed none.
std::string FirstRecordSize(const void* buffer, const DWORD* byteCount) {
  if (buffer == nullptr || byteCount == nullptr || *byteCount < 4) return "-";
  DWORD recordSize = 0;
  std::memcpy(&recordSize, buffer, 4);
  return std::to_string(recordSize);
}

// The alternate numbers that follow the structure: zero-ended texts up to an
// empty one, read only when the structure names their offset.
std::string AlternateNumbers(const BYTE* image, DWORD size) {
  DWORD offset = 0;
  if (size < kAlternateOffsetField + 4) return "-";
  std::memcpy(&offset, image + kAlternateOffsetField, 4);
  if (offset == 0) return "-";
  const char* list = reinterpret_cast<const char*>(image + offset);
  std::size_t length = 0;
  while (list[length] != 0 || list[length + 1] != 0) ++length;
  return Hex(list, length + 2);
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) self = instance;
  return TRUE;
}

__declspec(dllexport) DWORD WINAPI
    RasGetEntryPropertiesA(LPCSTR book, LPCSTR entry, LPVOID buffer, LPDWORD entrySize,
                           LPBYTE device, LPDWORD deviceSize) {
  auto settings = Settings();
  const std::string in = Number(entrySize);
  const DWORD result = SettingNumber(settings, "size_result", kBufferTooSmall);
  if (entrySize != nullptr) *entrySize = SettingNumber(settings, "size", 0);
  Write("RasGetEntryPropertiesA\tphonebook=" + Text(book) + "\tentry=" + Text(entry) +
        "\tbuffer=" + Pointer(buffer) + "\tsize=" + in + "\tdevice=" + Pointer(device) +
        "\tdevice_size=" + Number(deviceSize) + "\tresult=" + std::to_string(result) +
        "\tsize_out=" + Number(entrySize) + "\tacp=" + std::to_string(GetACP()));
  return result;
}

__declspec(dllexport) DWORD WINAPI
    RasSetEntryPropertiesA(LPCSTR book, LPCSTR entry, LPVOID buffer, DWORD entrySize, LPBYTE device,
                           DWORD deviceSize) {
  auto settings = Settings();
  const DWORD result = SettingNumber(settings, "write_error", 0);
  const auto* image = static_cast<const BYTE*>(buffer);
  if (result == 0 && entry != nullptr) {
    const std::vector<std::string> listed = ListedNames(settings);
    if (std::find(listed.begin(), listed.end(), entry) == listed.end()) {
      phonebook.written.push_back(entry);
    }
  }
  Write("RasSetEntryPropertiesA\tphonebook=" + Text(book) + "\tentry=" + Text(entry) +
        "\tsize=" + std::to_string(entrySize) + "\tdevice=" + Pointer(device) +
        "\tdevice_size=" + std::to_string(deviceSize) + "\tresult=" + std::to_string(result) +
        "\timage=" + (image == nullptr ? "-" : Hex(image, entrySize)) +
        "\talternates=" + (image == nullptr ? "-" : AlternateNumbers(image, entrySize)));
  return result;
}

__declspec(dllexport) DWORD WINAPI RasEnumEntriesA(LPCSTR reserved, LPCSTR book, LPVOID buffer,
                                                   LPDWORD byteCount, LPDWORD entryCount) {
  auto settings = Settings();
  const std::string first = FirstRecordSize(buffer, byteCount);
  const std::string in = Number(byteCount);
  const std::vector<std::string> names = ListedNames(settings);
  const DWORD needed = static_cast<DWORD>(names.size()) * kNameRecordSize;
  DWORD result = 0;
  if (byteCount == nullptr || entryCount == nullptr) {
    result = ERROR_INVALID_PARAMETER;
  } else if (*byteCount < needed) {
    result = kBufferTooSmall;
    *byteCount = needed;
    *entryCount = static_cast<DWORD>(names.size());
    // The phonebook gains an entry before the caller can fetch the listing.
    const std::string grow = settings["grow"];
    if (grow == "always" || (grow == "once" && phonebook.grown == 0)) ++phonebook.grown;
  } else {
    auto* out = static_cast<BYTE*>(buffer);
    for (std::size_t i = 0; i < names.size(); ++i) {
      BYTE* record = out + i * kNameRecordSize;
      std::memset(record, 0, kNameRecordSize);
      std::memcpy(record, &kNameRecordSize, 4);
      std::memcpy(record + 4, names[i].data(), names[i].size() < 256 ? names[i].size() : 256);
    }
    *byteCount = needed;
    *entryCount = static_cast<DWORD>(names.size());
  }
  Write("RasEnumEntriesA\treserved=" + Text(reserved) + "\tphonebook=" + Text(book) +
        "\tfirst_record_size=" + first + "\tbytes=" + in + "\tresult=" + std::to_string(result) +
        "\tbytes_out=" + Number(byteCount) + "\tcount_out=" + Number(entryCount));
  return result;
}

__declspec(dllexport) DWORD WINAPI RasDeleteEntryA(LPCSTR book, LPCSTR entry) {
  auto settings = Settings();
  const DWORD result = SettingNumber(settings, "delete_error", 0);
  if (result == 0 && entry != nullptr) {
    if (settings["own"] == entry) phonebook.ownDeleted = true;
    std::erase(phonebook.written, std::string(entry));
  }
  Write("RasDeleteEntryA\tphonebook=" + Text(book) + "\tentry=" + Text(entry) +
        "\tresult=" + std::to_string(result));
  return result;
}

__declspec(dllexport) DWORD WINAPI RasGetErrorStringA(UINT code, LPSTR buffer, DWORD size) {
  auto settings = Settings();
  const auto found = settings.find("text." + std::to_string(code));
  DWORD result = ERROR_INVALID_PARAMETER;  // no text for that number: nothing written
  if (found != settings.end() && buffer != nullptr && size > 0) {
    const std::string text = FromHex(found->second);
    const std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), n);
    buffer[n] = 0;
    result = 0;
  }
  Write("RasGetErrorStringA\tcode=" + std::to_string(code) + "\tsize=" + std::to_string(size) +
        "\tresult=" + std::to_string(result));
  return result;
}

__declspec(dllexport) DWORD WINAPI
    RasEnumDevicesA(LPVOID buffer, LPDWORD byteCount, LPDWORD deviceCount) {
  auto settings = Settings();
  const auto devices = ListedDevices(settings);
  const std::string first = FirstRecordSize(buffer, byteCount);
  const std::string in = Number(byteCount);
  const DWORD needed = static_cast<DWORD>(devices.size()) * kDeviceRecordSize;
  DWORD result = 0;
  if (byteCount == nullptr || deviceCount == nullptr) {
    result = ERROR_INVALID_PARAMETER;
  } else if (buffer != nullptr && first != std::to_string(kDeviceRecordSize)) {
    result = 632;  // ERROR_INVALID_SIZE: a record size the phonebook does not know
  } else if (*byteCount < needed) {
    result = kBufferTooSmall;
    *byteCount = needed;
  } else {
    auto* out = static_cast<BYTE*>(buffer);
    for (std::size_t i = 0; i < devices.size(); ++i) {
      BYTE* record = out + i * kDeviceRecordSize;
      std::memset(record, 0, kDeviceRecordSize);
      std::memcpy(record, &kDeviceRecordSize, 4);
      std::memcpy(record + 4, devices[i].first.data(),
                  std::min<std::size_t>(devices[i].first.size(), 16));
      std::memcpy(record + 21, devices[i].second.data(),
                  std::min<std::size_t>(devices[i].second.size(), 128));
    }
    *byteCount = needed;
    *deviceCount = static_cast<DWORD>(devices.size());
  }
  Write("RasEnumDevicesA\tfirst_record_size=" + first + "\tbytes=" + in +
        "\tresult=" + std::to_string(result) + "\tbytes_out=" + Number(byteCount));
  return result;
}

// The names listed now, each followed by "\n"; valid until the next call.
__declspec(dllexport) const char* WINAPI StandInEntryNames() {
  auto settings = Settings();
  static std::string joined;
  joined.clear();
  for (const std::string& name : ListedNames(settings)) joined += name + "\n";
  return joined.c_str();
}

}  // extern "C"
