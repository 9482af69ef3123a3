#include "host/phonebook/nm_daemon.h"

// GLib first: libnm's error header lacks C linkage for C++.
#include <gio/gio.h>
extern "C" {
#include <NetworkManager.h>
}

#include <cstdio>
#include <cstring>
#include <memory>

#include "host/phonebook/host_phonebook_errors.h"

namespace verolink::host {

namespace {

using std::chrono::milliseconds;

// The end of one asynchronous call, shared by its waiter and its callback:
// a call given up on still ends, later, into a Call of its own.
struct Call {
  GAsyncResult* result = nullptr;
  ~Call() { g_clear_object(&result); }
};
using SharedCall = std::shared_ptr<Call>;

void Ended(GObject*, GAsyncResult* result, gpointer data) {
  const std::unique_ptr<SharedCall> call(static_cast<SharedCall*>(data));
  (*call)->result = G_ASYNC_RESULT(g_object_ref(result));
}

gboolean TimeUp(gpointer late) {
  *static_cast<bool*>(late) = true;
  return G_SOURCE_REMOVE;
}

// Runs `context` until the call has ended or `limit` has passed; whether it
// ended.
bool RunUntilEnded(GMainContext* context, const Call& call, milliseconds limit) {
  bool late = false;
  GSource* timer = g_timeout_source_new(static_cast<guint>(limit.count()));
  g_source_set_callback(timer, TimeUp, &late, nullptr);
  g_source_attach(timer, context);
  while (call.result == nullptr && !late) g_main_context_iteration(context, TRUE);
  g_source_destroy(timer);
  g_source_unref(timer);
  return call.result != nullptr;
}

// One call made with `context` as the thread's default, so that its
// callback, and the client's own work, run there.
class Waiter {
 public:
  Waiter(GMainContext* context, milliseconds timeout)
      : context_(context), timeout_(timeout), cancellable_(g_cancellable_new()) {
    g_main_context_push_thread_default(context_);
  }
  ~Waiter() {
    g_main_context_pop_thread_default(context_);
    g_object_unref(cancellable_);
  }
  Waiter(const Waiter&) = delete;
  Waiter& operator=(const Waiter&) = delete;

  GCancellable* cancellable() const { return cancellable_; }
  // The callback's data: the call's own share of it, which Ended frees.
  gpointer call() const { return new SharedCall(call_); }

  // The call's result; null when none came in time. A late call is
  // cancelled and given a moment to end.
  GAsyncResult* Wait() {
    if (!RunUntilEnded(context_, *call_, timeout_)) {
      g_cancellable_cancel(cancellable_);
      RunUntilEnded(context_, *call_, milliseconds(500));
    }
    return call_->result;
  }

  // Runs what is already due: the daemon's news that came before an answer.
  void TakeNews() {
    while (g_main_context_iteration(context_, FALSE)) {
    }
  }

 private:
  GMainContext* context_;
  milliseconds timeout_;
  GCancellable* cancellable_;
  SharedCall call_ = std::make_shared<Call>();
};

bool IsNoAnswer(const GError* error) {
  static constexpr GDBusError kGone[] = {
      G_DBUS_ERROR_SERVICE_UNKNOWN, G_DBUS_ERROR_NAME_HAS_NO_OWNER, G_DBUS_ERROR_NO_REPLY,
      G_DBUS_ERROR_TIMEOUT,         G_DBUS_ERROR_TIMED_OUT,         G_DBUS_ERROR_DISCONNECTED,
      G_DBUS_ERROR_NO_SERVER};
  for (const GDBusError code : kGone) {
    if (g_error_matches(error, G_DBUS_ERROR, code)) return true;
  }
  return g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED) ||
         g_error_matches(error, G_IO_ERROR, G_IO_ERROR_TIMED_OUT) ||
         g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CLOSED) ||
         g_error_matches(error, NM_CLIENT_ERROR, NM_CLIENT_ERROR_MANAGER_NOT_RUNNING);
}

RasError Classify(const GError* error) {
  if (error == nullptr || IsNoAnswer(error)) return kErrorNmNoAnswer;
  if (g_error_matches(error, NM_SETTINGS_ERROR, NM_SETTINGS_ERROR_PERMISSION_DENIED) ||
      g_error_matches(error, NM_MANAGER_ERROR, NM_MANAGER_ERROR_PERMISSION_DENIED) ||
      g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_ACCESS_DENIED)) {
    return kErrorNmRefused;
  }
  return kErrorNmRejected;
}

std::string NoAnswerText(milliseconds timeout) {
  return "NetworkManager did not answer within " + std::to_string(timeout.count()) + " ms";
}

using ConnectionRef = std::unique_ptr<NMRemoteConnection, decltype(&g_object_unref)>;

// The connections this user may see whose id is `id` (any id when null),
// each with a reference of its own: the daemon's news may drop the client's.
std::vector<ConnectionRef> VisibleConnections(NMClient* client, const char* id) {
  std::vector<ConnectionRef> found;
  const GPtrArray* all = nm_client_get_connections(client);
  for (guint i = 0; i < all->len; ++i) {
    auto* connection = NM_REMOTE_CONNECTION(all->pdata[i]);
    const char* its = nm_connection_get_id(NM_CONNECTION(connection));
    if (nm_remote_connection_get_visible(connection) && its != nullptr &&
        (id == nullptr || std::strcmp(its, id) == 0)) {
      found.emplace_back(NM_REMOTE_CONNECTION(g_object_ref(connection)), &g_object_unref);
    }
  }
  return found;
}

}  // namespace

std::unique_ptr<NmDaemon> NmDaemon::Connect(milliseconds timeout, std::string& reason) {
  GMainContext* context = g_main_context_new();
  GError* error = nullptr;
  GDBusConnection* bus = nullptr;
  NMClient* client = nullptr;
  // A bus connection of our own: the shared one would end the process when
  // the bus goes away.
  if (gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SYSTEM, nullptr, &error)) {
    Waiter waiter(context, timeout);
    g_dbus_connection_new_for_address(
        address,
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, waiter.cancellable(), Ended, waiter.call());
    if (GAsyncResult* result = waiter.Wait())
      bus = g_dbus_connection_new_for_address_finish(result, &error);
    g_free(address);
  }
  if (bus != nullptr) {
    Waiter waiter(context, timeout);
    g_async_initable_new_async(NM_TYPE_CLIENT, G_PRIORITY_DEFAULT, waiter.cancellable(), Ended,
                               waiter.call(), NM_CLIENT_DBUS_CONNECTION, bus, nullptr);
    if (GAsyncResult* result = waiter.Wait()) {
      GObject* initable = g_async_result_get_source_object(result);
      client = NM_CLIENT(g_async_initable_new_finish(G_ASYNC_INITABLE(initable), result, &error));
      g_object_unref(initable);
    }
    g_object_unref(bus);
  }
  if (client != nullptr && !nm_client_get_nm_running(client)) {
    reason = "NetworkManager does not run on the system bus";
    g_clear_object(&client);
  } else if (client == nullptr) {
    reason = error != nullptr && !IsNoAnswer(error) ? error->message : NoAnswerText(timeout);
  }
  g_clear_error(&error);
  if (client == nullptr) {
    g_main_context_unref(context);
    return nullptr;
  }
  return std::unique_ptr<NmDaemon>(new NmDaemon(context, client, timeout));
}

NmDaemon::NmDaemon(GMainContext* context, NMClient* client, milliseconds timeout)
    : context_(context), client_(client), timeout_(timeout) {}

NmDaemon::~NmDaemon() {
  g_object_unref(client_);
  g_main_context_unref(context_);
}

RasError NmDaemon::Failure(const char* what, GError* error) {
  const RasError failure = Classify(error);
  std::fprintf(stderr, "verolink: NetworkManager: %s: %s\n", what,
               failure == kErrorNmNoAnswer ? NoAnswerText(timeout_).c_str() : error->message);
  if (error != nullptr) g_error_free(error);
  return failure;
}

RasError NmDaemon::AskPermissions(NmPermissions& permissions) {
  permissions = {};
  Waiter waiter(context_, timeout_);
  waiter.TakeNews();
  if (!nm_client_get_nm_running(client_)) {
    std::fprintf(stderr, "verolink: NetworkManager has left the system bus\n");
    return kErrorNmNoAnswer;
  }
  nm_client_dbus_call(client_, NM_DBUS_PATH, NM_DBUS_INTERFACE, "GetPermissions", nullptr,
                      G_VARIANT_TYPE("(a{ss})"), static_cast<int>(timeout_.count()),
                      waiter.cancellable(), Ended, waiter.call());
  GError* error = nullptr;
  GVariant* reply = nullptr;
  if (GAsyncResult* result = waiter.Wait())
    reply = nm_client_dbus_call_finish(client_, result, &error);
  if (reply == nullptr) return Failure("asking for permissions", error);
  GVariantIter* iter = nullptr;
  const char* name = nullptr;
  const char* value = nullptr;
  g_variant_get(reply, "(a{ss})", &iter);
  while (g_variant_iter_loop(iter, "{&s&s}", &name, &value)) {
    // "auth" would need a password, which this program has no way to give.
    const bool yes = std::strcmp(value, "yes") == 0;
    if (std::strcmp(name, "org.freedesktop.NetworkManager.settings.modify.system") == 0)
      permissions.modifySystem = yes;
    else if (std::strcmp(name, "org.freedesktop.NetworkManager.settings.modify.own") == 0)
      permissions.modifyOwn = yes;
  }
  g_variant_iter_free(iter);
  g_variant_unref(reply);
  waiter.TakeNews();
  return kRasSuccess;
}

RasError NmDaemon::ListIds(std::vector<std::string>& ids) {
  ids.clear();
  NmPermissions ignored;
  if (const RasError r = AskPermissions(ignored); r != kRasSuccess) return r;
  for (const ConnectionRef& connection : VisibleConnections(client_, nullptr))
    ids.emplace_back(nm_connection_get_id(NM_CONNECTION(connection.get())));
  return kRasSuccess;
}

std::string NmDaemon::LoginOf(const std::string& id) {
  const std::vector<ConnectionRef> found = VisibleConnections(client_, id.c_str());
  if (found.empty()) return {};
  NMSettingPppoe* pppoe = nm_connection_get_setting_pppoe(NM_CONNECTION(found.front().get()));
  const char* name = pppoe == nullptr ? nullptr : nm_setting_pppoe_get_username(pppoe);
  return name == nullptr ? std::string() : name;
}

std::string NmDaemon::UuidOf(const std::string& id) {
  NmPermissions ignored;
  if (AskPermissions(ignored) != kRasSuccess) return {};
  const std::vector<ConnectionRef> found = VisibleConnections(client_, id.c_str());
  return found.empty() ? std::string() : nm_connection_get_uuid(NM_CONNECTION(found.front().get()));
}

RasError NmDaemon::Add(NMConnection* connection) {
  Waiter waiter(context_, timeout_);
  nm_client_add_connection2(client_, nm_connection_to_dbus(connection, NM_CONNECTION_SERIALIZE_ALL),
                            NM_SETTINGS_ADD_CONNECTION2_FLAG_TO_DISK, nullptr, TRUE,
                            waiter.cancellable(), Ended, waiter.call());
  GError* error = nullptr;
  NMRemoteConnection* added = nullptr;
  if (GAsyncResult* result = waiter.Wait())
    added = nm_client_add_connection2_finish(client_, result, nullptr, &error);
  if (added != nullptr) {
    g_object_unref(added);
    return kRasSuccess;
  }
  return Failure("adding the connection", error);
}

RasError NmDaemon::Delete(const std::string& id, const std::string& keepUuid) {
  NmPermissions ignored;
  if (const RasError r = AskPermissions(ignored); r != kRasSuccess) return r;
  RasError outcome = kErrorCannotFindPhonebookEntry;
  for (const ConnectionRef& ref : VisibleConnections(client_, id.c_str())) {
    NMRemoteConnection* connection = ref.get();
    if (!keepUuid.empty() && keepUuid == nm_connection_get_uuid(NM_CONNECTION(connection)))
      continue;
    Waiter waiter(context_, timeout_);
    nm_remote_connection_delete_async(connection, waiter.cancellable(), Ended, waiter.call());
    GError* error = nullptr;
    GAsyncResult* result = waiter.Wait();
    if (result != nullptr && nm_remote_connection_delete_finish(connection, result, &error)) {
      outcome = kRasSuccess;
      continue;
    }
    outcome = Failure("deleting a connection", error);
    break;
  }
  return outcome;
}

std::vector<PPPoE::EthernetCard> NmDaemon::EthernetCards() {
  Waiter waiter(context_, timeout_);
  waiter.TakeNews();
  std::vector<PPPoE::EthernetCard> cards;
  const GPtrArray* devices = nm_client_get_devices(client_);
  for (guint i = 0; i < devices->len; ++i) {
    NMDevice* device = NM_DEVICE(devices->pdata[i]);
    if (!NM_IS_DEVICE_ETHERNET(device) || !nm_device_get_managed(device)) continue;
    // The vendor and product as udev's hardware database names them, if known.
    const char* vendor = nm_device_get_vendor(device);
    const char* product = nm_device_get_product(device);
    cards.push_back({nm_device_get_iface(device),
                     nm_device_ethernet_get_carrier(NM_DEVICE_ETHERNET(device)) != FALSE,
                     vendor ? vendor : "", product ? product : ""});
  }
  return cards;
}

}  // namespace verolink::host
