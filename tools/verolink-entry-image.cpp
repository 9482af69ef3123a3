// A check program for the Wine tests (not the product's interface): prints, in
// hex, the entry image that the core builds of the provider's PPPoE entry for
// a reported entry size, as the Windows program would hand it to the phonebook.
//   verolink-entry-image SIZE CODE_PAGE SERVICE_NAME [DEVICE_NAME]
// CODE_PAGE is an iconv name (e.g. WINDOWS-1251); DEVICE_NAME (UTF-8) is the
// PPPoE device the phonebook lists, the built-in name by default. Prints an empty line for a
// size whose layout cannot hold the entry.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <vector>

#include "host/system/host_code_page.h"
#include "phonebook/set_ras_entry.h"
#include "pppoe/pppoe_entry.h"

int main(int argc, char** argv) {
  using namespace verolink;
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: verolink-entry-image SIZE CODE_PAGE SERVICE_NAME [DEVICE_NAME]\n");
    return 2;
  }
  try {
    const auto size = static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10));
    const host::HostCodePage codePage(argv[2]);
    Profile profile;
    profile.ServiceName = FromUtf8(argv[3]);
    const Text device = argc == 5 ? FromUtf8(argv[4]) : Text(PPPoE::kBuiltInDeviceName);
    const std::vector<std::uint8_t> image =
        modRASVPN::BuildEntryImage(PPPoE::PPPoEEntryRecord(profile, device), size, codePage);
    for (const std::uint8_t byte : image) std::printf("%02x", byte);
    std::printf("\n");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "verolink-entry-image: %s\n", error.what());
    return 1;
  }
  return 0;
}
