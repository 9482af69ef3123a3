// The connect window as a subscriber uses it, by the keyboard alone: the
// password typed and Enter connects; the result shown; Escape closes it.
// Screenshots in $VEROLINK_ARTIFACTS.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <cstdlib>
#include <string>

#include "doubles/fake_connect.h"
#include "host/connect/gtk_connect_window.h"

namespace verolink::host {
namespace {

constexpr char kUuid[] = "5d2c8e1a-4b3f-4a6e-8c7d-2e1f0a9b8c7d";

// Runs `command` (xdotool, import) while the window's events run, until it
// has ended and `done` holds, or 60 s have passed. Whether both came; its
// exit status (0 for success) in `status`.
template <typename Done>
bool DriveUntil(const std::string& command, Done done, int* status = nullptr) {
  GError* error = nullptr;
  const gchar* argv[] = {"sh", "-c", command.c_str(), nullptr};
  GPid pid = 0;
  if (!g_spawn_async(nullptr, const_cast<gchar**>(argv), nullptr,
                     GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD), nullptr, nullptr,
                     &pid, &error)) {
    ADD_FAILURE() << error->message;
    g_error_free(error);
    return false;
  }
  struct End {
    bool ended = false;
    int status = -1;
  } end;
  g_child_watch_add(
      pid,
      [](GPid, gint wait, gpointer e) {
        auto* end = static_cast<End*>(e);
        end->status = g_spawn_check_wait_status(wait, nullptr) ? 0 : 1;
        end->ended = true;
      },
      &end);
  const bool& ended = end.ended;
  const gint64 deadline = g_get_monotonic_time() + 60 * G_USEC_PER_SEC;
  while (!(ended && done()) && g_get_monotonic_time() < deadline) {
    g_main_context_iteration(nullptr, FALSE);
  }
  if (status) *status = end.status;
  return ended && done();
}

// Runs the window's events until it has drawn what it shows now.
void WaitDrawn(GtkWidget* window) {
  const gint64 deadline = g_get_monotonic_time() + 60 * G_USEC_PER_SEC;
  GdkFrameClock* clock = nullptr;
  while (!(clock = gtk_widget_get_frame_clock(window)) && g_get_monotonic_time() < deadline) {
    g_main_context_iteration(nullptr, FALSE);
  }
  if (clock == nullptr) return;
  const gint64 first = gdk_frame_clock_get_frame_counter(clock);
  gtk_widget_queue_draw(window);
  while (gdk_frame_clock_get_frame_counter(clock) < first + 2 &&
         g_get_monotonic_time() < deadline) {
    g_main_context_iteration(nullptr, FALSE);
  }
}

std::string Screenshot(const std::string& name) {
  const char* folder = std::getenv("VEROLINK_ARTIFACTS");
  return std::string(
             "xdotool search --sync --onlyvisible --name '^Pelkar INTERNET$' >/dev/null && "
             "import -window root '") +
         (folder ? folder : ".") + "/connect-" + name + ".png'";
}

// Keys to the window named `title`, once it is there.
std::string Keys(const std::string& title, const std::string& keys) {
  return "xdotool search --sync --onlyvisible --name '^" + title + "$' windowfocus --sync " + keys;
}

TEST(ConnectWindow, KeyboardAloneTypesThePasswordConnectsDisconnectsAndEscapeCloses) {
  ASSERT_TRUE(gtk_init_check()) << "no display: " << (std::getenv("DISPLAY") ?: "(unset)");
  testing::FakeCardSearch cards;
  testing::FakeDialer dialer;
  testing::FakePasswordStore store;
  bool closed = false;
  // As connect mode opens it: at once, while NetworkManager is reached, then
  // named after the connection.
  GtkConnectWindow window("", [&] { closed = true; });
  window.view().ShowProgress(connect::Step::kReachingManager);
  window.SetName("Pelkar INTERNET");
  connect::ConnectEngine engine(kUuid, "Pelkar INTERNET", window.view(), cards, dialer, store);
  window.view().Attach(engine);
  engine.Start();
  EXPECT_TRUE(window.view().screen().askPassword && window.view().screen().canRemember);
  EXPECT_EQ(window.view().screen().status, "") << "a step shown while it only asks";
  // Typed and Enter: the password field has the focus, Enter is the connect button.
  WaitDrawn(window.widget());
  // What a screen reader finds: every field and button named.
  int read = -1;
  const char* reader = std::getenv("VEROLINK_READER");
  ASSERT_TRUE(reader != nullptr) << "VEROLINK_READER names no screen reader script";
  ASSERT_TRUE(DriveUntil(
      std::string("/usr/bin/python3 '") + reader + "' 'Pelkar INTERNET'", [] { return true; },
      &read));
  EXPECT_EQ(read, 0) << "the screen reader missed a named field or button (its list above)";
  ASSERT_TRUE(DriveUntil(Screenshot("asks") + "; " +
                             Keys("Pelkar INTERNET", "type --delay 20 'parol 7'") +
                             " && xdotool key Tab space shift+Tab Return",
                         [&] { return !dialer.dials.empty(); }))
      << "Enter did not connect";
  EXPECT_EQ(dialer.dials[0], std::string(kUuid) + "|eth1|parol 7");
  dialer.events->OnPasswordAsked();
  dialer.events->OnConnected("169.254.10.2");
  EXPECT_EQ(window.view().screen().status, "Подключено, адрес 169.254.10.2");
  EXPECT_EQ(store.kept[kUuid], "parol 7") << "the remember box was ticked by the keyboard";
  WaitDrawn(window.widget());
  ASSERT_TRUE(DriveUntil(
      std::string("/usr/bin/python3 '") + reader +
          "' 'Pelkar INTERNET' 'Подключено, адрес 169.254.10.2'",
      [] { return true; }, &read));
  EXPECT_EQ(read, 0) << "a screen reader does not read that it is connected";
  ASSERT_TRUE(DriveUntil(Screenshot("connected"), [] { return true; }));
  // Connected, the disconnect button has the focus: Space presses it.
  ASSERT_TRUE(DriveUntil(Keys("Pelkar INTERNET", "key space"), [&] { return dialer.hangUps > 0; }))
      << "the disconnect button was not reached by the keyboard";
  EXPECT_EQ(dialer.hangUps, 1);
  dialer.events->OnEnded({connect::nm::kDeviceUserRequested, connect::nm::kActiveUserDisconnected,
                          true, true, std::nullopt});
  EXPECT_EQ(window.view().screen().status, connect::kDisconnectedText);
  WaitDrawn(window.widget());
  ASSERT_TRUE(DriveUntil(Screenshot("disconnected") + "; " + Keys("Pelkar INTERNET", "key Escape"),
                         [&] { return closed; }))
      << "Escape did not close the window";
}

}  // namespace
}  // namespace verolink::host
