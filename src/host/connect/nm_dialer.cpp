#include "host/connect/nm_dialer.h"

// libnm's headers declare some functions without C linkage of their own.
extern "C" {
#include <NetworkManager.h>
}

#include <algorithm>
#include <cstdio>
#include <map>

#include "connect/dial_tracker.h"
#include "host/connect/bounded_wait.h"
#include "host/phonebook/card_discovery.h"
#include "host/phonebook/nm_pppoe_settings.h"

namespace verolink::host {

namespace {

using connect::Failure;

// Discovery ends within this, answered or not, as when the connection is made.
constexpr std::chrono::milliseconds kDiscoveryLimit{3000};

// The failure a refused call stands for; says why on standard error.
Failure Refusal(const char* what, GError* error) {
  std::fprintf(stderr, "verolink: NetworkManager: %s: %s\n", what,
               error ? error->message : "no answer");
  const bool denied =
      error != nullptr &&
      (g_error_matches(error, NM_MANAGER_ERROR, NM_MANAGER_ERROR_PERMISSION_DENIED) ||
       g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_ACCESS_DENIED) ||
       g_error_matches(error, NM_AGENT_MANAGER_ERROR, NM_AGENT_MANAGER_ERROR_PERMISSION_DENIED));
  const bool absent =
      error == nullptr || error->domain == G_IO_ERROR || error->domain == G_DBUS_ERROR;
  if (error) g_error_free(error);
  if (denied) return Failure::kNotAllowed;
  return absent ? Failure::kNoManager : Failure::kOther;
}

NMRemoteConnection* Find(NMClient* client, const std::string& uuid) {
  return nm_client_get_connection_by_uuid(client, uuid.c_str());
}

// The connection's first IPv4 address; empty until NetworkManager has told it.
std::string AddressOf(NMActiveConnection* active) {
  NMIPConfig* ip4 = nm_active_connection_get_ip4_config(active);
  const GPtrArray* addresses = ip4 ? nm_ip_config_get_addresses(ip4) : nullptr;
  if (addresses == nullptr || addresses->len == 0) return {};
  return nm_ip_address_get_address(static_cast<NMIPAddress*>(g_ptr_array_index(addresses, 0)));
}

}  // namespace

std::unique_ptr<NmDialer> NmDialer::Connect(std::chrono::milliseconds timeout, Failure& failure,
                                            std::string& reason) {
  struct Start {
    bool done = false;
    NMClient* client = nullptr;
    GError* error = nullptr;
  } start;
  GCancellable* cancellable = g_cancellable_new();
  nm_client_new_async(
      cancellable,
      [](GObject*, GAsyncResult* result, gpointer data) {
        auto* s = static_cast<Start*>(data);
        s->client = nm_client_new_finish(result, &s->error);
        s->done = true;
      },
      &start);
  WaitOrCancel(start.done, cancellable, timeout);
  g_object_unref(cancellable);
  NMClient* client = start.client;
  GError* error = start.error;
  if (client == nullptr || !nm_client_get_nm_running(client)) {
    reason = error ? error->message : "NetworkManager is not running";
    failure = Failure::kNoManager;
    g_clear_error(&error);
    if (client) g_object_unref(client);
    return nullptr;
  }
  auto agent = ConnectAgent::Register(timeout, reason);
  if (!agent) {
    failure =
        reason.find("ermission") != std::string::npos ? Failure::kNotAllowed : Failure::kNoManager;
    g_object_unref(client);
    return nullptr;
  }
  return std::unique_ptr<NmDialer>(new NmDialer(client, std::move(agent)));
}

NmDialer::NmDialer(NMClient* client, std::unique_ptr<ConnectAgent> agent)
    : client_(client), agent_(std::move(agent)) {}

NmDialer::~NmDialer() {
  Forget();
  agent_.reset();
  g_object_unref(client_);
}

std::string NmDialer::NameOf(const std::string& uuid) const {
  NMRemoteConnection* connection = Find(client_, uuid);
  const char* id = connection ? nm_connection_get_id(NM_CONNECTION(connection)) : nullptr;
  return id ? id : "";
}

bool NmDialer::KeepsPassword(const std::string& uuid) const {
  NMRemoteConnection* connection = Find(client_, uuid);
  NMSettingPppoe* pppoe =
      connection ? nm_connection_get_setting_pppoe(NM_CONNECTION(connection)) : nullptr;
  return pppoe != nullptr &&
         nm_setting_pppoe_get_password_flags(pppoe) == NM_SETTING_SECRET_FLAG_NONE;
}

void NmDialer::Search(const std::string& uuid,
                      std::function<void(std::vector<connect::CardSeen>)> done) {
  struct Job {
    std::vector<connect::CardSeen> cards;
    std::vector<std::string> probed;
    std::string service;
    std::map<std::string, PPPoE::DiscoveryReport> reports;
    std::function<void(std::vector<connect::CardSeen>)> done;
  };
  auto* job = new Job{{}, {}, {}, {}, std::move(done)};
  std::vector<PPPoE::EthernetCard> ethernet;
  const GPtrArray* devices = nm_client_get_devices(client_);
  for (guint i = 0; devices != nullptr && i < devices->len; ++i) {
    auto* device = static_cast<NMDevice*>(g_ptr_array_index(devices, i));
    if (!NM_IS_DEVICE_ETHERNET(device)) continue;
    const bool link = nm_device_ethernet_get_carrier(NM_DEVICE_ETHERNET(device)) != FALSE;
    job->cards.push_back({nm_device_get_iface(device), link, std::nullopt});
    ethernet.push_back({nm_device_get_iface(device), link, {}, {}});
  }
  job->probed = PPPoE::CardsToProbe(ethernet);
  NMRemoteConnection* connection = Find(client_, uuid);
  NMSettingPppoe* pppoe =
      connection ? nm_connection_get_setting_pppoe(NM_CONNECTION(connection)) : nullptr;
  const char* service = pppoe ? nm_setting_pppoe_get_service(pppoe) : nullptr;
  job->service = service ? service : "";
  // The card the connection names comes first: where the equipment answers
  // on it and on another, it stays where it is.
  const char* parent = pppoe ? nm_setting_pppoe_get_parent(pppoe) : nullptr;
  std::stable_partition(job->cards.begin(), job->cards.end(), [&](const connect::CardSeen& card) {
    return parent != nullptr && card.name == parent;
  });
  GTask* task = g_task_new(
      nullptr, nullptr,
      [](GObject*, GAsyncResult* result, gpointer) {
        auto* job = static_cast<Job*>(g_task_get_task_data(G_TASK(result)));
        for (connect::CardSeen& card : job->cards) {
          const auto report = job->reports.find(card.name);
          if (report != job->reports.end() && report->second.ran) {
            card.answered = !report->second.acNames.empty();
          }
        }
        job->done(std::move(job->cards));
      },
      nullptr);
  g_task_set_task_data(task, job, [](gpointer data) { delete static_cast<Job*>(data); });
  g_task_run_in_thread(task, [](GTask* t, gpointer, gpointer data, GCancellable*) {
    auto* job = static_cast<Job*>(data);
    if (!job->probed.empty()) {
      job->reports =
          DiscoverCards(DiscoveryHelperPath(), job->probed, job->service, kDiscoveryLimit);
    }
    g_task_return_boolean(t, TRUE);
  });
  g_object_unref(task);
}

void NmDialer::Dial(const std::string& uuid, const std::string& card, const std::string& password,
                    connect::DialEvents& events) {
  Forget();
  events_ = &events;
  tracker_ = std::make_unique<connect::DialTracker>(events);
  NMRemoteConnection* connection = Find(client_, uuid);
  if (connection == nullptr) {
    std::fprintf(stderr, "verolink: NetworkManager: no connection %s\n", uuid.c_str());
    return events.OnRejected(Failure::kOther);
  }
  agent_->offer().Give(uuid, password, [this] {
    if (tracker_) tracker_->PasswordGiven();
  });
  // A connection that names its card is brought up there; another goes
  // through the card found now.
  NMSettingPppoe* pppoe = nm_connection_get_setting_pppoe(NM_CONNECTION(connection));
  const char* parent = pppoe ? nm_setting_pppoe_get_parent(pppoe) : nullptr;
  if (parent == nullptr || *parent == '\0' || card.empty()) {
    NMDevice* device =
        card.empty() ? nullptr : nm_client_get_device_by_iface(client_, card.c_str());
    return Activate(connection, device);
  }
  if (card == parent) return Activate(connection, nullptr);
  // Its card was renamed, or the modem is on another now: the connection is
  // moved to the card the equipment answers on, and kept so.
  std::fprintf(stderr, "verolink: the connection names card %s, the equipment answers on %s\n",
               parent, card.c_str());
  NmConnectionPtr moved(nm_simple_connection_new_clone(NM_CONNECTION(connection)));
  NameCard(moved.get(), card);
  nm_remote_connection_update2(
      connection, nm_connection_to_dbus(moved.get(), NM_CONNECTION_SERIALIZE_NO_SECRETS),
      NM_SETTINGS_UPDATE2_FLAG_NONE, nullptr, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        auto* self = static_cast<NmDialer*>(data);
        GError* error = nullptr;
        auto* connection = NM_REMOTE_CONNECTION(source);
        if (GVariant* done = nm_remote_connection_update2_finish(connection, result, &error)) {
          g_variant_unref(done);
        } else {
          // Dialed where it is; how that ends is reported as any dial's end.
          std::fprintf(stderr, "verolink: NetworkManager: cannot move the connection: %s\n",
                       error ? error->message : "no answer");
          g_clear_error(&error);
        }
        if (self->events_) self->Activate(connection, nullptr);
      },
      this);
}

void NmDialer::Activate(NMRemoteConnection* connection, NMDevice* device) {
  nm_client_activate_connection_async(
      client_, NM_CONNECTION(connection), device, nullptr, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        auto* self = static_cast<NmDialer*>(data);
        GError* error = nullptr;
        NMActiveConnection* active =
            nm_client_activate_connection_finish(NM_CLIENT(source), result, &error);
        if (active == nullptr) {
          self->agent_->offer().Withdraw();
          if (self->events_) self->events_->OnRejected(Refusal("cannot connect", error));
          return;
        }
        self->Follow(active);
      },
      this);
}

void NmDialer::Follow(NMActiveConnection* active) {
  active_ = active;
  g_signal_connect_swapped(active, "notify::" NM_ACTIVE_CONNECTION_IP4_CONFIG,
                           G_CALLBACK(+[](NmDialer* self) { self->WatchAddress(); }), this);
  g_signal_connect(active, "state-changed",
                   G_CALLBACK(+[](NMActiveConnection*, guint state, guint reason, gpointer self) {
                     static_cast<NmDialer*>(self)->OnState(state, reason);
                   }),
                   this);
  OnState(nm_active_connection_get_state(active), NM_ACTIVE_CONNECTION_STATE_REASON_NONE);
}

void NmDialer::Watch(NMDevice* device) {
  if (std::find(devices_.begin(), devices_.end(), device) != devices_.end()) return;
  devices_.push_back(NM_DEVICE(g_object_ref(device)));
  g_signal_connect(device, "state-changed",
                   G_CALLBACK(+[](NMDevice*, guint state, guint, guint reason, gpointer self) {
                     static_cast<NmDialer*>(self)->tracker_->DeviceState(state, reason);
                   }),
                   this);
  g_signal_connect(device, "notify::" NM_DEVICE_IP_INTERFACE,
                   G_CALLBACK(+[](NMDevice* d, GParamSpec*, gpointer self) {
                     const char* ip = nm_device_get_ip_iface(d);
                     static_cast<NmDialer*>(self)->tracker_->IpInterface(ip ? ip : "");
                   }),
                   this);
}

// The address, and from the IP configuration that holds it, its changes.
void NmDialer::WatchAddress() {
  NMIPConfig* ip4 = nm_active_connection_get_ip4_config(active_);
  if (ip4 != nullptr && ip4 != ip4_) {
    if (ip4_) g_signal_handlers_disconnect_by_data(ip4_, this);
    ip4_ = NM_IP_CONFIG(g_object_ref(ip4));
    g_signal_connect_swapped(ip4_, "notify::" NM_IP_CONFIG_ADDRESSES,
                             G_CALLBACK(+[](NmDialer* self) { self->WatchAddress(); }), this);
  }
  tracker_->Address(AddressOf(active_));
}

void NmDialer::OnState(unsigned state, unsigned reason) {
  if (const GPtrArray* devices = nm_active_connection_get_devices(active_)) {
    for (guint i = 0; i < devices->len; ++i) Watch(NM_DEVICE(g_ptr_array_index(devices, i)));
  }
  int last = 0;
  for (NMDevice* device : devices_) {
    if (last == 0) last = static_cast<int>(nm_device_get_state_reason(device));
  }
  WatchAddress();
  const auto ended = tracker_->ActiveState(static_cast<int>(state), static_cast<int>(reason), last);
  if (!ended) return;
  // Let go before the engine hears it, as it may dial again at once.
  connect::DialEvents* events = events_;
  Forget();
  events->OnEnded(*ended);
}

void NmDialer::HangUp() {
  if (active_ == nullptr) return;
  nm_client_deactivate_connection_async(
      client_, active_, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        auto* self = static_cast<NmDialer*>(data);
        GError* error = nullptr;
        if (!nm_client_deactivate_connection_finish(NM_CLIENT(source), result, &error) &&
            self->events_) {
          self->events_->OnRejected(Refusal("cannot disconnect", error));
        }
      },
      this);
}

void NmDialer::Forget() {
  agent_->offer().Withdraw();
  for (NMDevice* device : devices_) {
    g_signal_handlers_disconnect_by_data(device, this);
    g_object_unref(device);
  }
  devices_.clear();
  if (ip4_) {
    g_signal_handlers_disconnect_by_data(ip4_, this);
    g_clear_object(&ip4_);
  }
  if (active_) {
    g_signal_handlers_disconnect_by_data(active_, this);
    g_clear_object(&active_);
  }
  tracker_.reset();
  events_ = nullptr;
}

}  // namespace verolink::host
