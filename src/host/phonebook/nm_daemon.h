#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "phonebook/ras_phonebook.h"
#include "pppoe/card_choice.h"

typedef struct _NMClient NMClient;
typedef struct _NMConnection NMConnection;
typedef struct _GMainContext GMainContext;
typedef struct _GError GError;

namespace verolink::host {

// How a call to NetworkManager can fail, as phonebook error numbers: the
// platform's numbers for the nearest conditions. Nothing was changed.
// No answer in time, or the daemon or its bus is gone (ERROR_RASMAN_CANNOT_INITIALIZE).
inline constexpr RasError kErrorNmNoAnswer = 711;
// NetworkManager denies this user the change (ERROR_NO_DIALIN_PERMISSION).
inline constexpr RasError kErrorNmRefused = 649;
// NetworkManager (or libnm before it) rejected the connection for another
// reason, which goes to standard error.
inline constexpr RasError kErrorNmRejected = 624;

// What NetworkManager lets this user do with saved connections without
// asking for a password.
struct NmPermissions {
  bool modifySystem = false;  // connections for every user
  bool modifyOwn = false;     // connections of this user's own
};

// NetworkManager on the system D-Bus ($DBUS_SYSTEM_BUS_ADDRESS when set),
// through libnm. Every call runs the client's own main context until the
// answer has come, and gives up after the time allowed; no threads. When a
// call returns, what it did is done in the daemon. A failed call writes one
// line to standard error with the daemon's or the bus's text (English).
class NmDaemon {
 public:
  // Connects within `timeout`. Returns the daemon when NetworkManager runs
  // and answered; else null, with `reason` saying why.
  static std::unique_ptr<NmDaemon> Connect(std::chrono::milliseconds timeout, std::string& reason);
  ~NmDaemon();
  NmDaemon(const NmDaemon&) = delete;
  NmDaemon& operator=(const NmDaemon&) = delete;

  // Asks the daemon for this user's permissions; 0 and fills `permissions`,
  // else an error above with `permissions` all false.
  // The answer also brings in the daemon's news sent before it.
  RasError AskPermissions(NmPermissions& permissions);
  // 0 and the ids (UTF-8) of the connections this user may see, after the
  // daemon's news so far; else an error above with `ids` empty.
  RasError ListIds(std::vector<std::string>& ids);
  // The PPPoE user name of the first visible connection of that id; empty
  // when there is none or it has none.
  std::string LoginOf(const std::string& id);
  // The UUID of the first visible connection of that id, after the daemon's
  // news so far (a connection just replaced is gone); empty when there is
  // none or the daemon does not answer.
  std::string UuidOf(const std::string& id);
  // Saves `connection` to disk through the daemon: 0 when it is stored and
  // listed, else an error above with nothing added.
  RasError Add(NMConnection* connection);
  // Deletes every visible connection of that id except the one of
  // `keepUuid`: 0 when all are gone; 623 when none was there; an error above
  // at the first one the daemon did not delete.
  RasError Delete(const std::string& id, const std::string& keepUuid = {});
  // The Ethernet cards NetworkManager manages, after the daemon's news so
  // far, in its order; empty when it has none (or has gone).
  std::vector<PPPoE::EthernetCard> EthernetCards();

 private:
  NmDaemon(GMainContext* context, NMClient* client, std::chrono::milliseconds timeout);
  // The error number a failed call's error stands for (null: no answer
  // came); says `what` failed and why on standard error, and frees it.
  RasError Failure(const char* what, GError* error);

  GMainContext* context_;
  NMClient* client_;
  std::chrono::milliseconds timeout_;
};

}  // namespace verolink::host
