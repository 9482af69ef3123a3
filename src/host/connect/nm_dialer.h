#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "connect/connect_engine.h"
#include "connect/dial_tracker.h"
#include "host/connect/connect_agent.h"

typedef struct _NMClient NMClient;
typedef struct _NMActiveConnection NMActiveConnection;
typedef struct _NMRemoteConnection NMRemoteConnection;
typedef struct _NMDevice NMDevice;
typedef struct _NMIPConfig NMIPConfig;

namespace verolink::host {

// A connection brought up and down through NetworkManager (libnm) on the
// thread's default main context, the password given by the process's own
// secret agent, its progress and end followed from the active connection's
// and its devices' states.
class NmDialer : public connect::Dialer, public connect::CardSearch {
 public:
  // Connected and its agent registered within `timeout`; else null with
  // `failure` (no answer, or not allowed) and `reason` (English) set.
  static std::unique_ptr<NmDialer> Connect(std::chrono::milliseconds timeout,
                                           connect::Failure& failure, std::string& reason);
  ~NmDialer() override;

  // The connection's name; empty when this user sees no connection `uuid`.
  std::string NameOf(const std::string& uuid) const;

  void Dial(const std::string& uuid, const std::string& card, const std::string& password,
            connect::DialEvents& events) override;
  void HangUp() override;
  // Whether NetworkManager keeps the password (no agent's flag on it).
  bool KeepsPassword(const std::string& uuid) const override;
  // NetworkManager's Ethernet cards and their links, and, where there are
  // several, whether the provider's equipment answers on each for the
  // connection's service (the discovery helper, in a thread, as it listens
  // for up to 3 s; the answer comes back on this thread's main context).
  void Search(const std::string& uuid,
              std::function<void(std::vector<connect::CardSeen>)> done) override;

 private:
  NmDialer(NMClient* client, std::unique_ptr<ConnectAgent> agent);
  void Activate(NMRemoteConnection* connection, NMDevice* device);
  void Follow(NMActiveConnection* active);
  void Watch(NMDevice* device);
  void OnState(unsigned state, unsigned reason);
  void WatchAddress();
  void Forget();

  NMClient* client_;
  std::unique_ptr<ConnectAgent> agent_;
  connect::DialEvents* events_ = nullptr;
  std::unique_ptr<connect::DialTracker> tracker_;
  NMActiveConnection* active_ = nullptr;
  std::vector<NMDevice*> devices_;
  NMIPConfig* ip4_ = nullptr;
};

}  // namespace verolink::host
