#include "host/connect/connect_mode.h"

#include <glib.h>

#include <cstdio>
#include <iostream>

#include "connect/text_connect_view.h"
#include "host/connect/keyring_store.h"
#include "host/connect/nm_dialer.h"

namespace verolink::host {

namespace {

// How long NetworkManager may take to answer the start and the agent's registration.
constexpr std::chrono::seconds kNmAnswerTime{5};

}  // namespace

int RunConnectMode(const std::string& uuid) {
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  int status = 1;
  bool finished = false;
  connect::TextConnectView view(std::cin, std::cout, [&](int s) {
    status = s;
    finished = true;
    g_main_loop_quit(loop);
  });
  connect::Failure failure = connect::Failure::kNoManager;
  std::string reason;
  auto dialer = NmDialer::Connect(kNmAnswerTime, failure, reason);
  if (!dialer) {
    std::fprintf(stderr, "verolink: NetworkManager: %s\n", reason.c_str());
    view.ShowFailure(connect::TextOf(failure), false);
    g_main_loop_unref(loop);
    return 1;
  }
  std::string name = dialer->NameOf(uuid);
  if (name.empty()) {
    std::fprintf(stderr, "verolink: NetworkManager has no connection %s for this user\n",
                 uuid.c_str());
    view.ShowFailure(connect::TextOf(connect::Failure::kOther), false);
    g_main_loop_unref(loop);
    return 1;
  }
  std::cout << name << std::endl;
  KeyringStore store;
  connect::ConnectEngine connectEngine(uuid, name, view, *dialer, *dialer, store);
  view.Attach(connectEngine);
  connectEngine.Start();
  // It may have ended already (no card with a link, say).
  if (!finished) g_main_loop_run(loop);
  g_main_loop_unref(loop);
  return status;
}

}  // namespace verolink::host
