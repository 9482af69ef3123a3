#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "phonebook/entry_copies.h"
#include "phonebook/ras_phonebook.h"
#include "pppoe/card_choice.h"
#include "window/wait_view.h"

typedef struct _NMClient NMClient;
typedef struct _NMConnection NMConnection;
typedef struct _NMRemoteConnection NMRemoteConnection;
typedef struct _GMainContext GMainContext;
typedef struct _GError GError;
typedef struct _GSource GSource;

namespace verolink::host {

// How a call to NetworkManager can fail, as phonebook error numbers: the
// platform's numbers for the nearest conditions. Nothing was changed.
// No answer in time, or the daemon or its bus is gone, or the user stopped
// waiting (ERROR_RASMAN_CANNOT_INITIALIZE).
inline constexpr RasError kErrorNmNoAnswer = 711;
// NetworkManager denies this user the change (ERROR_NO_DIALIN_PERMISSION).
inline constexpr RasError kErrorNmRefused = 649;
// NetworkManager (or libnm before it) rejected the connection for another
// reason, which goes to standard error.
inline constexpr RasError kErrorNmRejected = 624;
// Another window of the program added a connection of that name first; it
// stays and this one was deleted again (ERROR_OBJECT_ALREADY_EXISTS).
inline constexpr RasError kErrorNmMadeElsewhere = 5010;
// A login with control characters (ERROR_INVALID_ACCOUNT_NAME).
inline constexpr RasError kErrorNmImpossibleLogin = 1315;

// What NetworkManager lets this user do with saved connections without
// asking for a password.
struct NmPermissions {
  bool modifySystem = false;  // connections for every user
  bool modifyOwn = false;     // connections of this user's own
};

// How long a wait no window shows lasts before it gives up.
inline constexpr std::chrono::milliseconds kNmPatience{30000};
// How long the end of the program waits for changes given up on.
inline constexpr std::chrono::milliseconds kNmSettleLimit{120000};

// A saved connection as this user sees it; its order is the daemon's object
// number.
using NmConnectionInfo = modRASVPN::EntryCopy;

// NetworkManager on the system D-Bus ($DBUS_SYSTEM_BUS_ADDRESS when set),
// through libnm, on the thread's default main context: the window's toolkit
// runs the same one, so nothing freezes while a call waits and the client
// follows the daemon (a restart included) while the window is idle. A read
// gives up after the time allowed. A change (Add, DeleteUuid) is waited for
// until the daemon answers it: after the time allowed the wait is shown
// (WaitView), and where the user stops waiting, or the daemon left with the
// call and does not come back, the change is undone whenever it arrives (an
// addition deleted, a deletion added back), so that the failure reported
// stays true. When a call returns, what it did is
// done in the daemon. A failed call writes one line to standard error with
// the daemon's or the bus's text (English).
class NmDaemon {
 public:
  // Connects within `timeout`. Returns the daemon when NetworkManager runs
  // and answered; else null, with `reason` saying why. `view` shows long
  // waits (null: none is shown, and a wait gives up after kNmPatience).
  static std::unique_ptr<NmDaemon> Connect(std::chrono::milliseconds timeout, std::string& reason,
                                           WaitView* view = nullptr);
  // Sees every change given up on to its end first (Settle with
  // kNmSettleLimit).
  ~NmDaemon();
  NmDaemon(const NmDaemon&) = delete;
  NmDaemon& operator=(const NmDaemon&) = delete;

  // Asks the daemon for this user's permissions; 0 and fills `permissions`,
  // else an error above with `permissions` all false. A daemon that has
  // just started again is waited for (within the time allowed). The answer
  // also brings in the daemon's news sent before it.
  RasError AskPermissions(NmPermissions& permissions);
  // 0 and the connections this user may see (of the id `id` when not null),
  // after the daemon's news so far; else an error above with none.
  RasError List(std::vector<NmConnectionInfo>& connections, const std::string* id = nullptr);
  // The PPPoE user name of the connection of that UUID; empty when there is
  // none or it has none.
  std::string LoginOf(const std::string& uuid);
  // Saves `connection` to disk through the daemon: 0 when it is stored and
  // listed, else an error above with nothing added (an addition given up on
  // is deleted again when it arrives).
  RasError Add(NMConnection* connection);
  // Deletes the connection of that UUID: 0 when it is gone (or was not
  // there); else an error above with the connection kept (a deletion given
  // up on is added back when it arrives).
  RasError DeleteUuid(const std::string& uuid);
  // The Ethernet cards NetworkManager manages, after the daemon's news so
  // far, in its order; empty when it has none (or has gone).
  std::vector<PPPoE::EthernetCard> EthernetCards();
  // Runs the main context until every change given up on has been undone
  // or has ended without changing anything, or `limit` has passed; whether
  // they all have.
  bool Settle(std::chrono::milliseconds limit);

 private:
  struct Abandoned;
  NmDaemon(GMainContext* context, NMClient* client, std::chrono::milliseconds timeout,
           WaitView* view);
  // The error number a failed call's error stands for (null: no answer
  // came); says `what` failed and why on standard error, and frees it.
  RasError Failure(const char* what, GError* error);
  // Runs the context until `done`, showing the wait once the time allowed
  // has passed; false when the user stopped waiting first.
  bool Await(const std::function<bool()>& done);
  // Whether a daemon other than the one of `owner` now runs and has been read.
  bool CameBack(const std::string& owner) const;
  // Sends a change with `send` (given the call's callback data) and awaits
  // it: 0 when it is done, else an error above. `settings` are those of the
  // connection added (`adds`) or deleted, for undoing a change given up on.
  RasError Change(const char* what, NMConnection* settings, bool adds,
                  const std::function<void(void*)>& send);
  // The connection of that UUID after the daemon's news so far, or null.
  NMRemoteConnection* ConnectionOf(const std::string& uuid);
  // Undoes the changes given up on whose outcome is known by now.
  void UndoAbandoned();
  // Whether the change has ended and, where it was done, has been undone.
  bool Undo(Abandoned& change);
  static void ScheduleUndo(NmDaemon* daemon);

  GMainContext* context_;
  NMClient* client_;
  std::chrono::milliseconds timeout_;
  WaitView* view_;
  std::vector<Abandoned> abandoned_;
  bool undoing_ = false;
  GSource* undo_ = nullptr;
  unsigned long runningSignal_ = 0;
};

}  // namespace verolink::host
