#include "host/connect/connect_mode.h"

#include <gtk/gtk.h>

#include <cstdio>
#include <iostream>
#include <memory>

#include "connect/text_connect_view.h"
#include "host/connect/gtk_connect_window.h"
#include "host/connect/keyring_store.h"
#include "host/connect/nm_dialer.h"

namespace verolink::host {

namespace {

// How long NetworkManager may take to answer the start and the agent's
// registration: a desktop just started, or a busy one, is slow to answer,
// and the window says meanwhile that it waits.
constexpr std::chrono::seconds kNmAnswerTime{20};

}  // namespace

int RunConnectMode(const std::string& uuid) {
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  int status = 1;
  bool finished = false;
  const auto done = [&](int s) {
    status = s;
    finished = true;
    g_main_loop_quit(loop);
  };
  // The window where there is a display, at once, titled with the program
  // until NetworkManager names the connection; else its lines on the terminal.
  std::unique_ptr<GtkConnectWindow> window;
  std::unique_ptr<connect::TextConnectView> text;
  connect::ConnectView* view = nullptr;
  if (gtk_init_check()) {
    window = std::make_unique<GtkConnectWindow>("", [&] { done(status); });
    view = &window->view();
  } else {
    text = std::make_unique<connect::TextConnectView>(std::cin, std::cout, done);
    view = text.get();
  }
  view->ShowProgress(connect::Step::kReachingManager);
  connect::Failure failure = connect::Failure::kNoManager;
  std::string reason;
  auto dialer = NmDialer::Connect(kNmAnswerTime, failure, reason);
  const std::string name = dialer ? dialer->NameOf(uuid) : "";
  if (!dialer) std::fprintf(stderr, "verolink: NetworkManager: %s\n", reason.c_str());
  if (dialer && name.empty()) {
    failure = connect::Failure::kOther;
    std::fprintf(stderr, "verolink: NetworkManager has no connection %s for this user\n",
                 uuid.c_str());
  }
  if (window) window->SetName(name);
  if (text) std::cout << name << std::endl;
  KeyringStore store;
  std::unique_ptr<connect::ConnectEngine> engine;
  if (finished) {
    // Closed while NetworkManager was awaited.
  } else if (name.empty()) {
    view->ShowFailure(connect::TextOf(failure), false);
  } else {
    engine = std::make_unique<connect::ConnectEngine>(uuid, name, *view, *dialer, *dialer, store);
    if (window) window->view().Attach(*engine);
    if (text) text->Attach(*engine);
    engine->Start();
  }
  // It may have ended already (no card with a link, say).
  if (!finished) g_main_loop_run(loop);
  g_main_loop_unref(loop);
  // A window closed leaves the connection as it is: 0 when it is up.
  return window ? (engine && engine->connected() ? 0 : 1) : status;
}

}  // namespace verolink::host
