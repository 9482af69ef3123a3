#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

typedef struct _NMClient NMClient;
typedef struct _NMConnection NMConnection;
typedef struct _GMainContext GMainContext;
typedef struct _GError GError;

namespace verolink::host {

// How a call to NetworkManager ended.
enum class NmResult {
  Done,
  NotFound,  // no connection of that id is visible to this user
  Refused,   // NetworkManager denies this user the change
  NoAnswer,  // no answer within the time allowed, or the daemon or its bus is gone
  Failed,    // NetworkManager answered with another error
};

// What NetworkManager lets this user do with saved connections without
// asking for a password.
struct NmPermissions {
  bool modifySystem = false;  // connections for every user
  bool modifyOwn = false;     // connections of this user's own
};

// NetworkManager on the system D-Bus ($DBUS_SYSTEM_BUS_ADDRESS when set),
// through libnm. Every call runs the client's own main context until the
// answer has come, and gives up after the time allowed; no threads. When a
// call returns, what it did is done in the daemon. `lastError()` holds the
// daemon's or the bus's text of the last failure (English, for the log).
class NmDaemon {
 public:
  // Connects within `timeout`. Returns the daemon when NetworkManager runs
  // and answered; else null, with `reason` saying why.
  static std::unique_ptr<NmDaemon> Connect(std::chrono::milliseconds timeout, std::string& reason);
  ~NmDaemon();
  NmDaemon(const NmDaemon&) = delete;
  NmDaemon& operator=(const NmDaemon&) = delete;

  // Asks the daemon for this user's permissions; Done and fills
  // `permissions`, else NoAnswer or Failed with `permissions` all false.
  // The answer also brings in the daemon's news sent before it.
  NmResult AskPermissions(NmPermissions& permissions);
  // Done and the ids (UTF-8) of the connections this user may see, after
  // the daemon's news so far; NoAnswer or Failed with `ids` empty.
  NmResult ListIds(std::vector<std::string>& ids);
  // The PPPoE user name of the first visible connection of that id; empty
  // when there is none or it has none.
  std::string LoginOf(const std::string& id);
  // Saves `connection` to disk through the daemon: Done when it is stored
  // and listed; Refused, NoAnswer or Failed, with nothing added.
  NmResult Add(NMConnection* connection);
  // Deletes every visible connection of that id except the one of
  // `keepUuid`: Done when all are gone; NotFound when none was there;
  // Refused, NoAnswer or Failed at the first one the daemon did not delete.
  NmResult Delete(const std::string& id, const std::string& keepUuid = {});

  const std::string& lastError() const { return lastError_; }

 private:
  NmDaemon(GMainContext* context, NMClient* client, std::chrono::milliseconds timeout);
  // The result a failed call's error stands for (null: no answer came);
  // keeps its text in lastError_ and frees it.
  NmResult Failure(GError* error);

  GMainContext* context_;
  NMClient* client_;
  std::chrono::milliseconds timeout_;
  std::string lastError_;
};

}  // namespace verolink::host
