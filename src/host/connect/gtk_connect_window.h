#pragma once

#include <functional>
#include <string>

#include "connect/connect_screen.h"

typedef struct _GtkWidget GtkWidget;

namespace verolink::host {

// The connect window in GTK 4: the provider's banner, the connection's name,
// the password with its remember box, the step or the result with what to
// do, and the buttons. Enter connects, Escape closes; `closed` runs when it
// is closed. Needs gtk_init_check() to have succeeded.
class GtkConnectWindow {
 public:
  GtkConnectWindow(const std::string& name, std::function<void()> closed);
  ~GtkConnectWindow();
  GtkConnectWindow(const GtkConnectWindow&) = delete;
  GtkConnectWindow& operator=(const GtkConnectWindow&) = delete;
  connect::ScreenConnectView& view() { return view_; }
  GtkWidget* widget() const { return window_; }
  // Titles the window with the connection's name; empty: the program's.
  void SetName(const std::string& name);

 private:
  void Render(const connect::ConnectScreen& screen);
  void PressConnect();

  connect::ScreenConnectView view_;
  std::function<void()> closed_;
  GtkWidget* window_;
  GtkWidget* title_;
  GtkWidget* password_;
  GtkWidget* passwordRow_;
  GtkWidget* remember_;
  GtkWidget* status_;
  GtkWidget* advice_;
  GtkWidget* notice_;
  GtkWidget* connect_;
  GtkWidget* disconnect_;
  std::string shownStatus_;
};

}  // namespace verolink::host
