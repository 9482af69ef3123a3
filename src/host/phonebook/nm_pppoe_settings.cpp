#include "host/phonebook/nm_pppoe_settings.h"

// GLib first: libnm's error header lacks C linkage for C++.
#include <gio/gio.h>
extern "C" {
#include <NetworkManager.h>
}

#include <cstdint>
#include <cstdio>

namespace verolink::host {

namespace {

// The entry's option flags (RASEO_*) naming the authentication methods it
// allows.
constexpr std::uint32_t kRequireEncryptedPw = 0x00000400;
constexpr std::uint32_t kRequireMsEncryptedPw = 0x00000800;
constexpr std::uint32_t kRequireEap = 0x00020000;
constexpr std::uint32_t kRequirePap = 0x00040000;
constexpr std::uint32_t kRequireSpap = 0x00080000;
constexpr std::uint32_t kRequireChap = 0x08000000;
constexpr std::uint32_t kRequireMsChap = 0x10000000;
constexpr std::uint32_t kRequireMsChap2 = 0x20000000;
constexpr std::uint32_t kRequireW95MsChap = 0x40000000;
constexpr std::uint32_t kAnyMethod = kRequireEap | kRequirePap | kRequireSpap | kRequireChap |
                                     kRequireMsChap | kRequireMsChap2 | kRequireW95MsChap;
constexpr std::uint32_t kNetProtocolIpv6 = 0x8;  // RASNP_Ipv6
constexpr guint kLcpEchoFailures = 5;
constexpr guint kLcpEchoSeconds = 30;
constexpr std::size_t kMaxInterfaceName = 15;

// The methods the options allow. With none of the Require<method> flags every
// method is allowed, narrowed by the encrypted-password flags. SPAP has no
// match: pppd, which NetworkManager runs, does not speak it.
NMSetting* PppSetting(std::uint32_t options) {
  std::uint32_t allowed = options & kAnyMethod;
  if (allowed == 0) {
    allowed = kAnyMethod;
    if (options & (kRequireEncryptedPw | kRequireMsEncryptedPw)) allowed &= ~kRequirePap;
    if (options & kRequireMsEncryptedPw) allowed &= ~(kRequireSpap | kRequireChap | kRequireEap);
  }
  NMSetting* ppp = nm_setting_ppp_new();
  g_object_set(ppp, NM_SETTING_PPP_REFUSE_EAP, (allowed & kRequireEap) == 0,  //
               NM_SETTING_PPP_REFUSE_PAP, (allowed & kRequirePap) == 0,       //
               NM_SETTING_PPP_REFUSE_CHAP, (allowed & kRequireChap) == 0,
               // The Windows 95 variant is MS-CHAP too.
               NM_SETTING_PPP_REFUSE_MSCHAP, (allowed & (kRequireMsChap | kRequireW95MsChap)) == 0,
               NM_SETTING_PPP_REFUSE_MSCHAPV2, (allowed & kRequireMsChap2) == 0,
               NM_SETTING_PPP_LCP_ECHO_FAILURE, kLcpEchoFailures, NM_SETTING_PPP_LCP_ECHO_INTERVAL,
               kLcpEchoSeconds, nullptr);
  return ppp;
}

}  // namespace

void NmConnectionUnref::operator()(NMConnection* connection) const { g_object_unref(connection); }

void NameCard(NMConnection* connection, const std::string& card) {
  // A connection that names its card needs a name for its PPP interface,
  // which NetworkManager makes beside the card: one per card, at most the
  // kernel's 15 bytes.
  const std::string pppInterface = ("ppp-" + card).substr(0, kMaxInterfaceName);
  g_object_set(nm_connection_get_setting_connection(connection),
               NM_SETTING_CONNECTION_INTERFACE_NAME, pppInterface.c_str(), nullptr);
  g_object_set(nm_connection_get_setting_pppoe(connection), NM_SETTING_PPPOE_PARENT, card.c_str(),
               nullptr);
}

NmConnectionPtr PppoeSettings(const RasEntryRecord& entry, const std::string& id,
                              const std::string& login, const std::string& owner,
                              const std::string& card) {
  NmConnectionPtr connection(nm_simple_connection_new());

  NMSetting* general = nm_setting_connection_new();
  gchar* uuid = nm_utils_uuid_generate();
  g_object_set(general, NM_SETTING_CONNECTION_ID, id.c_str(), NM_SETTING_CONNECTION_UUID, uuid,
               NM_SETTING_CONNECTION_TYPE, NM_SETTING_PPPOE_SETTING_NAME,
               NM_SETTING_CONNECTION_AUTOCONNECT, FALSE, nullptr);
  g_free(uuid);
  if (!owner.empty()) {
    nm_setting_connection_add_permission(NM_SETTING_CONNECTION(general), "user", owner.c_str(),
                                         nullptr);
  }
  nm_connection_add_setting(connection.get(), general);

  // A PPPoE entry keeps its service name in the phone number; empty: any
  // access concentrator.
  const std::string service = ToUtf8(entry.szLocalPhoneNumber);
  NMSetting* pppoe = nm_setting_pppoe_new();
  g_object_set(pppoe, NM_SETTING_PPPOE_SERVICE, service.empty() ? nullptr : service.c_str(),
               NM_SETTING_PPPOE_USERNAME, login.c_str(),
               // Asked by the desktop's secret agent, and kept by it for this user.
               NM_SETTING_PPPOE_PASSWORD_FLAGS, NM_SETTING_SECRET_FLAG_AGENT_OWNED, nullptr);
  nm_connection_add_setting(connection.get(), pppoe);
  nm_connection_add_setting(connection.get(), PppSetting(entry.dwfOptions));
  if (!card.empty()) NameCard(connection.get(), card);

  // The address, the gateway and the name servers come from the peer.
  NMSetting* ipv4 = nm_setting_ip4_config_new();
  g_object_set(ipv4, NM_SETTING_IP_CONFIG_METHOD, NM_SETTING_IP4_CONFIG_METHOD_AUTO, nullptr);
  nm_connection_add_setting(connection.get(), ipv4);
  NMSetting* ipv6 = nm_setting_ip6_config_new();
  g_object_set(ipv6, NM_SETTING_IP_CONFIG_METHOD,
               (entry.dwfNetProtocols & kNetProtocolIpv6) != 0
                   ? NM_SETTING_IP6_CONFIG_METHOD_AUTO
                   : NM_SETTING_IP6_CONFIG_METHOD_DISABLED,
               nullptr);
  nm_connection_add_setting(connection.get(), ipv6);

  GError* invalid = nullptr;
  if (!nm_connection_verify(connection.get(), &invalid)) {
    std::fprintf(stderr, "verolink: NetworkManager: the connection is not valid: %s\n",
                 invalid->message);
    g_error_free(invalid);
    return nullptr;
  }
  return connection;
}

}  // namespace verolink::host
