// A check program for the host phonebook (not the product's interface):
//   verolink-phonebook write       writes the provider's PPPoE entry
//   verolink-phonebook list        lists the entry names, one a line
//   verolink-phonebook show NAME   prints the entry as the file keeps it
// The phonebook is $VEROLINK_PHONEBOOK, else the user's default one.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "console_platform.h"
#include "host/phonebook/host_phonebook_errors.h"
#include "host/phonebook/phonebook_keyfile.h"
#include "phonebook/entry_listing.h"
#include "pppoe/pppoe_entry.h"
#include "start/profile.h"

namespace {

using namespace verolink;

int Usage() {
  std::fprintf(stderr, "usage: verolink-phonebook write | list | show NAME\n");
  return 2;
}

int Write(host::ConsolePlatform& host) {
  Platform platform = host.platform();
  const Profile profile = basMain::BuiltInProfile();
  if (!PPPoE::CreatePPPoEEntry(platform, profile)) return 1;
  std::printf("%s -> %s\n", ToUtf8(profile.ConnectionName).c_str(),
              host.phonebookSide().phonebook.path().c_str());
  return 0;
}

int List(host::ConsolePlatform& host) {
  Platform platform = host.platform();
  std::vector<Text> names;
  const int count = modRASVPN::EnumRasEntries(platform, names);
  for (int i = 0; i < count; ++i) std::printf("%s\n", ToUtf8(names[i]).c_str());
  return 0;
}

int Show(host::ConsolePlatform& host, std::string_view name) {
  host::HostPhonebookFacilities& side = host.phonebookSide();
  host::PhonebookEntry entry{side.codePage.ToAnsi(FromUtf8(name)), {}};
  const RasError e = side.phonebook.ReadEntry(entry.name, entry.record);
  if (e != kRasSuccess) {
    std::fprintf(stderr, "%d: %s\n", e, ToUtf8(host::PhonebookErrorText(e)).c_str());
    return 1;
  }
  std::fputs(host::FormatPhonebook({entry}, side.codePage).c_str(), stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string_view command = argv[1];
  host::ConsolePlatform host;
  if (command == "write" && argc == 2) return Write(host);
  if (command == "list" && argc == 2) return List(host);
  if (command == "show" && argc == 3) return Show(host, argv[2]);
  return Usage();
}
