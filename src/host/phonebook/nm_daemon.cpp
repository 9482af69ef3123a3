#include "host/phonebook/nm_daemon.h"

// GLib first: libnm's error header lacks C linkage for C++.
#include <gio/gio.h>
extern "C" {
#include <NetworkManager.h>
}

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>

#include "host/phonebook/host_phonebook_errors.h"
#include "host/phonebook/nm_pppoe_settings.h"

namespace verolink::host {

namespace {

using std::chrono::milliseconds;

// The end of one asynchronous call, shared by its waiter and its callback:
// a call given up on still ends, later, into a Call of its own.
struct Call {
  GAsyncResult* result = nullptr;
  // Set for a call given up on: runs when it ends after all.
  std::function<void()> endedLate;
  ~Call() { g_clear_object(&result); }
};
using SharedCall = std::shared_ptr<Call>;

void Ended(GObject*, GAsyncResult* result, gpointer data) {
  const std::unique_ptr<SharedCall> call(static_cast<SharedCall*>(data));
  (*call)->result = G_ASYNC_RESULT(g_object_ref(result));
  if ((*call)->endedLate) (*call)->endedLate();
}

gboolean TimeUp(gpointer late) {
  *static_cast<bool*>(late) = true;
  return G_SOURCE_REMOVE;
}

// Runs `context` until `done` or `limit` has passed; whether done.
bool RunUntil(GMainContext* context, const std::function<bool()>& done, milliseconds limit) {
  bool late = false;
  GSource* timer = g_timeout_source_new(static_cast<guint>(limit.count()));
  g_source_set_callback(timer, TimeUp, &late, nullptr);
  g_source_attach(timer, context);
  while (!done() && !late) g_main_context_iteration(context, TRUE);
  g_source_destroy(timer);
  g_source_unref(timer);
  return done();
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

  const SharedCall& shared() const { return call_; }
  bool ended() const { return call_->result != nullptr; }

  // The call's result; null when none came in time. A late call is
  // cancelled and given a moment to end.
  GAsyncResult* Wait() {
    const auto ended = [this] { return this->ended(); };
    if (!RunUntil(context_, ended, timeout_)) {
      g_cancellable_cancel(cancellable_);
      RunUntil(context_, ended, milliseconds(500));
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

unsigned long ObjectNumber(NMRemoteConnection* connection) {
  const char* path = nm_object_get_path(NM_OBJECT(connection));
  const char* slash = path == nullptr ? nullptr : std::strrchr(path, '/');
  return slash == nullptr ? 0 : std::strtoul(slash + 1, nullptr, 10);
}

// What the user reads while a change is awaited.
constexpr char16_t kWaitText[] =
    u"NetworkManager ещё не ответил, программа ждёт его ответа. Если прекратить ожидание, "
    u"подключение, которое NetworkManager добавит позже, будет удалено.";

}  // namespace

// A change given up on: its call, the daemon it went to, the connection's
// settings, and whether undoing it means that the connection is there again
// (a deletion) or is not (an addition).
struct NmDaemon::Abandoned {
  std::string uuid;
  std::string owner;
  SharedCall call;
  NmConnectionPtr settings;
  bool present = false;
  bool lost = false;  // the daemon left with the call
  bool read = false;  // the call's answer has been taken
};

std::unique_ptr<NmDaemon> NmDaemon::Connect(milliseconds timeout, std::string& reason,
                                            WaitView* view) {
  GMainContext* context = g_main_context_ref_thread_default();
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
  return std::unique_ptr<NmDaemon>(new NmDaemon(context, client, timeout, view));
}

NmDaemon::NmDaemon(GMainContext* context, NMClient* client, milliseconds timeout, WaitView* view)
    : context_(context), client_(client), timeout_(timeout), view_(view) {
  // A daemon back on the bus settles what was given up on while it was away.
  runningSignal_ =
      g_signal_connect_swapped(client_, "notify::" NM_CLIENT_NM_RUNNING,
                               G_CALLBACK(+[](NmDaemon* daemon) { ScheduleUndo(daemon); }), this);
}

NmDaemon::~NmDaemon() {
  if (!Settle(kNmSettleLimit)) {
    std::fprintf(stderr,
                 "verolink: NetworkManager: a change given up on has not ended; NetworkManager "
                 "may still carry it out\n");
  }
  for (Abandoned& call : abandoned_) call.call->endedLate = nullptr;
  if (undo_ != nullptr) {
    g_source_destroy(undo_);
    g_source_unref(undo_);
  }
  g_signal_handler_disconnect(client_, runningSignal_);
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
  // A daemon that has started again while the window stood is still being
  // read; one that has no name on the bus is gone.
  const auto running = [this] { return nm_client_get_nm_running(client_) != FALSE; };
  if (nm_client_get_dbus_name_owner(client_) == nullptr || !RunUntil(context_, running, timeout_)) {
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

RasError NmDaemon::List(std::vector<NmConnectionInfo>& connections, const std::string* id) {
  connections.clear();
  NmPermissions ignored;
  if (const RasError r = AskPermissions(ignored); r != kRasSuccess) return r;
  for (const ConnectionRef& ref : VisibleConnections(client_, id ? id->c_str() : nullptr)) {
    NMConnection* connection = NM_CONNECTION(ref.get());
    connections.push_back({nm_connection_get_id(connection), nm_connection_get_uuid(connection),
                           ObjectNumber(ref.get())});
  }
  return kRasSuccess;
}

std::string NmDaemon::LoginOf(const std::string& uuid) {
  NMRemoteConnection* found = nm_client_get_connection_by_uuid(client_, uuid.c_str());
  NMSettingPppoe* pppoe = found ? nm_connection_get_setting_pppoe(NM_CONNECTION(found)) : nullptr;
  const char* name = pppoe == nullptr ? nullptr : nm_setting_pppoe_get_username(pppoe);
  return name == nullptr ? std::string() : name;
}

bool NmDaemon::Await(const std::function<bool()>& done) {
  Waiter waiter(context_, timeout_);
  if (RunUntil(context_, done, timeout_)) return true;
  // An undoing shows nothing: the user is not waiting for it.
  if (view_ == nullptr || undoing_) {
    std::fprintf(stderr, "verolink: %s\n", ToUtf8(kWaitText).c_str());
    return RunUntil(context_, done, kNmPatience);
  }
  view_->ShowWaiting(kWaitText);
  while (!done() && !view_->GaveUp()) g_main_context_iteration(context_, TRUE);
  view_->HideWaiting();
  return done();
}

bool NmDaemon::CameBack(const std::string& owner) const {
  const char* now = nm_client_get_dbus_name_owner(client_);
  return nm_client_get_nm_running(client_) && now != nullptr && owner != now;
}

RasError NmDaemon::Change(const char* what, NMConnection* settings, bool adds,
                          const std::function<void(void*)>& send) {
  const std::string uuid = nm_connection_get_uuid(settings);
  const char* ownerNow = nm_client_get_dbus_name_owner(client_);
  const std::string owner = ownerNow == nullptr ? "" : ownerNow;
  Waiter waiter(context_, timeout_);
  send(waiter.call());
  const auto abandon = [&](bool lost) {
    std::fprintf(stderr, "verolink: NetworkManager: %s: no answer; what comes later is undone\n",
                 what);
    waiter.shared()->endedLate = [this] { ScheduleUndo(this); };
    // What an undoing itself gave up on is undone the other way.
    abandoned_.push_back({uuid, owner, waiter.shared(),
                          NmConnectionPtr(nm_simple_connection_new_clone(settings)),
                          adds == undoing_, lost, lost});
    return kErrorNmNoAnswer;
  };
  if (!Await([&] { return waiter.ended(); })) return abandon(false);
  GError* error = nullptr;
  if (GVariant* reply = nm_client_dbus_call_finish(client_, waiter.shared()->result, &error)) {
    g_variant_unref(reply);
    // The answer comes after the daemon's news of the change.
    waiter.TakeNews();
    return kRasSuccess;
  }
  // A call that found no daemon on the bus never reached one.
  if (!IsNoAnswer(error) || g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN) ||
      g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NAME_HAS_NO_OWNER)) {
    return Failure(what, error);
  }
  // The daemon left with the call: what it did shows once it is back.
  std::fprintf(stderr, "verolink: NetworkManager: %s: %s\n", what, error->message);
  g_error_free(error);
  NmPermissions ignored;
  if (!Await([&] { return CameBack(owner); }) || AskPermissions(ignored) != kRasSuccess)
    return abandon(true);
  const bool there = nm_client_get_connection_by_uuid(client_, uuid.c_str()) != nullptr;
  return there == adds ? kRasSuccess : kErrorNmNoAnswer;
}

RasError NmDaemon::Add(NMConnection* connection) {
  return Change("adding the connection", connection, true, [&](void* call) {
    // No time limit of the bus's own: the answer is awaited as long as the
    // daemon may still give it.
    nm_client_dbus_call(
        client_, NM_DBUS_PATH_SETTINGS, NM_DBUS_INTERFACE_SETTINGS, "AddConnection2",
        g_variant_new("(@a{sa{sv}}u@a{sv})",
                      nm_connection_to_dbus(connection, NM_CONNECTION_SERIALIZE_ALL),
                      static_cast<guint32>(NM_SETTINGS_ADD_CONNECTION2_FLAG_TO_DISK),
                      g_variant_new_array(G_VARIANT_TYPE("{sv}"), nullptr, 0)),
        G_VARIANT_TYPE("(oa{sv})"), G_MAXINT, nullptr, Ended, call);
  });
}

NMRemoteConnection* NmDaemon::ConnectionOf(const std::string& uuid) {
  // A round trip that asks polkit nothing: the daemon's answer comes after
  // its news so far, and after libnm's reading of a new connection.
  Waiter waiter(context_, timeout_);
  nm_client_dbus_call(client_, NM_DBUS_PATH, "org.freedesktop.DBus.Properties", "Get",
                      g_variant_new("(ss)", NM_DBUS_INTERFACE, "Version"), G_VARIANT_TYPE("(v)"),
                      static_cast<int>(timeout_.count()), waiter.cancellable(), Ended,
                      waiter.call());
  if (GAsyncResult* result = waiter.Wait()) {
    if (GVariant* reply = nm_client_dbus_call_finish(client_, result, nullptr))
      g_variant_unref(reply);
  }
  waiter.TakeNews();
  return nm_client_get_connection_by_uuid(client_, uuid.c_str());
}

RasError NmDaemon::DeleteUuid(const std::string& uuid) {
  NMRemoteConnection* found = ConnectionOf(uuid);
  if (found == nullptr) return kRasSuccess;
  const ConnectionRef connection(NM_REMOTE_CONNECTION(g_object_ref(found)), &g_object_unref);
  const RasError r = Change("deleting a connection", NM_CONNECTION(found), false, [&](void* call) {
    nm_client_dbus_call(client_, nm_object_get_path(NM_OBJECT(found)),
                        NM_DBUS_INTERFACE_SETTINGS_CONNECTION, "Delete", nullptr,
                        G_VARIANT_TYPE("()"), G_MAXINT, nullptr, Ended, call);
  });
  // Deleted by someone else in the meantime: gone all the same.
  if (r != kRasSuccess && r != kErrorNmNoAnswer && ConnectionOf(uuid) == nullptr)
    return kRasSuccess;
  return r;
}

void NmDaemon::ScheduleUndo(NmDaemon* daemon) {
  if (daemon->undo_ != nullptr || daemon->abandoned_.empty()) return;
  daemon->undo_ = g_idle_source_new();
  g_source_set_callback(
      daemon->undo_,
      [](gpointer data) {
        auto* self = static_cast<NmDaemon*>(data);
        g_source_unref(self->undo_);
        self->undo_ = nullptr;
        self->UndoAbandoned();
        return G_SOURCE_REMOVE;
      },
      daemon, nullptr);
  g_source_attach(daemon->undo_, daemon->context_);
}

void NmDaemon::UndoAbandoned() {
  if (undoing_) return;
  undoing_ = true;
  std::vector<Abandoned> pending;
  pending.swap(abandoned_);
  for (Abandoned& change : pending) {
    if (!Undo(change)) abandoned_.push_back(std::move(change));
  }
  undoing_ = false;
}

bool NmDaemon::Undo(Abandoned& change) {
  if (change.call->result == nullptr) return false;
  if (!change.read) {
    change.read = true;
    GError* error = nullptr;
    GVariant* reply = nm_client_dbus_call_finish(client_, change.call->result, &error);
    change.lost = reply == nullptr && IsNoAnswer(error);
    const bool refused = reply == nullptr && !change.lost;
    if (reply != nullptr) g_variant_unref(reply);
    g_clear_error(&error);
    // Refused: nothing changed.
    if (refused) return true;
  }
  // Lost: known once the daemon is back.
  if (change.lost && !CameBack(change.owner)) return false;
  const bool there = ConnectionOf(change.uuid) != nullptr;
  if (there == change.present) return true;
  // A change this gives up on is abandoned in turn, and undone in its turn.
  const RasError r = change.present ? Add(change.settings.get()) : DeleteUuid(change.uuid);
  if (r == kRasSuccess) std::fprintf(stderr, "verolink: NetworkManager: a late change is undone\n");
  return true;
}

bool NmDaemon::Settle(milliseconds limit) {
  UndoAbandoned();
  if (abandoned_.empty()) return true;
  Waiter waiter(context_, limit);
  // The undoing runs as the calls end and the daemon comes back.
  return RunUntil(
      context_, [this] { return abandoned_.empty(); }, limit);
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
