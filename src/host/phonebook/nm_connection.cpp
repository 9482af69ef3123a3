#include "host/phonebook/nm_connection.h"

#include <sys/random.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace verolink::host {

namespace {

// The entry's option flags (RASEO_*) that have a NetworkManager meaning.
constexpr std::uint32_t kSpecificNameServers = 0x00000004;
constexpr std::uint32_t kIpHeaderCompression = 0x00000008;
constexpr std::uint32_t kRemoteDefaultGateway = 0x00000010;
constexpr std::uint32_t kSwCompression = 0x00000200;
constexpr std::uint32_t kRequireEncryptedPw = 0x00000400;
constexpr std::uint32_t kRequireMsEncryptedPw = 0x00000800;
constexpr std::uint32_t kRequireDataEncryption = 0x00001000;
constexpr std::uint32_t kRequireEap = 0x00020000;
constexpr std::uint32_t kRequirePap = 0x00040000;
constexpr std::uint32_t kRequireSpap = 0x00080000;
constexpr std::uint32_t kRequireChap = 0x08000000;
constexpr std::uint32_t kRequireMsChap = 0x10000000;
constexpr std::uint32_t kRequireMsChap2 = 0x20000000;
constexpr std::uint32_t kRequireW95MsChap = 0x40000000;
constexpr std::uint32_t kAnyMethod = kRequireEap | kRequirePap | kRequireSpap | kRequireChap |
                                     kRequireMsChap | kRequireMsChap2 | kRequireW95MsChap;
// Not carried over, as NetworkManager has no match for them: a fixed own
// address (SpecificIpAddr; a PPP peer always assigns it), LCP extensions,
// terminal windows, modem lights, secure local files, logon credentials, the
// preview and progress windows, custom and script dialling. The frame size,
// idle disconnection, dial mode, device name (NetworkManager picks the
// Ethernet device when the connection comes up), X.25 and WINS members have no
// match either.

constexpr std::uint32_t kNetProtocolIpv6 = 0x8;  // RASNP_Ipv6

// dwEncryptionType
constexpr std::uint32_t kEncryptionRequire = 1;
constexpr std::uint32_t kEncryptionRequireMax = 2;

void AddFlag(Keyfile& file, std::string_view group, std::string_view key, bool on) {
  if (on) file.Add(group, key, "true");
}

bool Flag(const Keyfile& file, std::string_view group, std::string_view key) {
  const std::string* value = file.Find(group, key);
  return value != nullptr && (*value == "true" || *value == "1");
}

std::string Value(const Keyfile& file, std::string_view group, std::string_view key) {
  const std::string* value = file.Find(group, key);
  return value == nullptr ? std::string() : *value;
}

// The methods the options allow. With none of the Require<method> flags
// every method is allowed, narrowed by the encrypted-password flags.
void SetMethods(PppoeConnection& c, std::uint32_t options) {
  std::uint32_t allowed = options & kAnyMethod;
  if (allowed == 0) {
    allowed = kAnyMethod;
    if (options & (kRequireEncryptedPw | kRequireMsEncryptedPw)) allowed &= ~kRequirePap;
    if (options & kRequireMsEncryptedPw) allowed &= ~(kRequireSpap | kRequireChap | kRequireEap);
  }
  // SPAP (Shiva's PAP) has no match: pppd, which NetworkManager runs, does
  // not speak it; allowing or refusing it changes nothing here.
  c.refuseEap = (allowed & kRequireEap) == 0;
  c.refusePap = (allowed & kRequirePap) == 0;
  c.refuseChap = (allowed & kRequireChap) == 0;
  // The Windows 95 variant is MS-CHAP too.
  c.refuseMschap = (allowed & (kRequireMsChap | kRequireW95MsChap)) == 0;
  c.refuseMschapv2 = (allowed & kRequireMsChap2) == 0;
}

}  // namespace

PppoeConnection ConnectionFromEntry(const RasEntryRecord& entry) {
  PppoeConnection c;
  const std::uint32_t options = entry.dwfOptions;
  // A PPPoE entry keeps its service name in the phone number.
  c.service = ToUtf8(entry.szLocalPhoneNumber);
  SetMethods(c, options);
  const std::uint32_t encryption = entry.dwEncryptionType;
  c.requireMppe = (options & kRequireDataEncryption) != 0 || encryption == kEncryptionRequire ||
                  encryption == kEncryptionRequireMax;
  c.requireMppe128 = encryption == kEncryptionRequireMax;
  c.noBsdComp = c.noDeflate = (options & kSwCompression) == 0;
  c.noVjComp = (options & kIpHeaderCompression) == 0;
  c.neverDefault = (options & kRemoteDefaultGateway) == 0;
  if (options & kSpecificNameServers) {
    for (const RasIpAddress& a : {entry.ipaddrDns, entry.ipaddrDnsAlt}) {
      if (a == RasIpAddress{}) continue;
      c.dns.push_back(std::to_string(a.a) + '.' + std::to_string(a.b) + '.' + std::to_string(a.c) +
                      '.' + std::to_string(a.d));
    }
  }
  c.ipv6 = (entry.dwfNetProtocols & kNetProtocolIpv6) != 0;
  return c;
}

Keyfile ConnectionKeyfile(const PppoeConnection& c) {
  Keyfile file;
  file.Add("connection", "id", c.id);
  file.Add("connection", "uuid", c.uuid);
  file.Add("connection", "type", "pppoe");
  file.Add("connection", "autoconnect", c.autoconnect ? "true" : "false");
  if (!c.service.empty()) file.Add("pppoe", "service", c.service);
  file.Add("pppoe", "username", c.username);
  if (c.passwordFlags != 0) file.Add("pppoe", "password-flags", std::to_string(c.passwordFlags));
  AddFlag(file, "ppp", "refuse-eap", c.refuseEap);
  AddFlag(file, "ppp", "refuse-pap", c.refusePap);
  AddFlag(file, "ppp", "refuse-chap", c.refuseChap);
  AddFlag(file, "ppp", "refuse-mschap", c.refuseMschap);
  AddFlag(file, "ppp", "refuse-mschapv2", c.refuseMschapv2);
  AddFlag(file, "ppp", "require-mppe", c.requireMppe);
  AddFlag(file, "ppp", "require-mppe-128", c.requireMppe128);
  AddFlag(file, "ppp", "nobsdcomp", c.noBsdComp);
  AddFlag(file, "ppp", "nodeflate", c.noDeflate);
  AddFlag(file, "ppp", "no-vj-comp", c.noVjComp);
  if (!c.dns.empty()) {
    std::string list;
    for (const std::string& address : c.dns) list += address + ';';
    file.Add("ipv4", "dns", list);
    file.Add("ipv4", "ignore-auto-dns", "true");
  }
  // The address and the gateway come from the peer.
  file.Add("ipv4", "method", "auto");
  AddFlag(file, "ipv4", "never-default", c.neverDefault);
  file.Add("ipv6", "method", c.ipv6 ? "auto" : "disabled");
  return file;
}

std::optional<PppoeConnection> ReadConnection(const Keyfile& file) {
  PppoeConnection c;
  c.id = Value(file, "connection", "id");
  if (c.id.empty() || Value(file, "connection", "type") != "pppoe") return std::nullopt;
  c.uuid = Value(file, "connection", "uuid");
  // NetworkManager's default is on.
  c.autoconnect =
      file.Find("connection", "autoconnect") == nullptr || Flag(file, "connection", "autoconnect");
  c.service = Value(file, "pppoe", "service");
  c.username = Value(file, "pppoe", "username");
  c.passwordFlags = static_cast<unsigned>(
      std::strtoul(Value(file, "pppoe", "password-flags").c_str(), nullptr, 10));
  c.refuseEap = Flag(file, "ppp", "refuse-eap");
  c.refusePap = Flag(file, "ppp", "refuse-pap");
  c.refuseChap = Flag(file, "ppp", "refuse-chap");
  c.refuseMschap = Flag(file, "ppp", "refuse-mschap");
  c.refuseMschapv2 = Flag(file, "ppp", "refuse-mschapv2");
  c.requireMppe = Flag(file, "ppp", "require-mppe");
  c.requireMppe128 = Flag(file, "ppp", "require-mppe-128");
  c.noBsdComp = Flag(file, "ppp", "nobsdcomp");
  c.noDeflate = Flag(file, "ppp", "nodeflate");
  c.noVjComp = Flag(file, "ppp", "no-vj-comp");
  c.neverDefault = Flag(file, "ipv4", "never-default");
  const std::string list = Value(file, "ipv4", "dns");  // "a;b;"
  for (std::size_t start = 0; start < list.size();) {
    const std::size_t end = std::min(list.find(';', start), list.size());
    if (end > start) c.dns.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  c.ipv6 = Value(file, "ipv6", "method") == "auto";
  return c;
}

std::string NewUuid() {
  std::array<std::uint8_t, 16> bytes{};
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    const ssize_t n = getrandom(bytes.data() + filled, bytes.size() - filled, 0);
    if (n > 0)
      filled += static_cast<std::size_t>(n);
    else if (n < 0 && errno != EINTR)
      std::abort();  // the kernel's generator is always there
  }
  bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4
  bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
  char text[37];
  std::snprintf(text, sizeof text,
                "%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x", bytes[0],
                bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8],
                bytes[9], bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
  return text;
}

}  // namespace verolink::host
