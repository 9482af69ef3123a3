#pragma once

#include <array>
#include <functional>
#include <memory>

#include "start/platform.h"
#include "win32/banner_picture.h"
#include "win32/tool_tips.h"
#include "win32/windows_api.h"
#include "window/layout.h"
#include "window/main_form.h"

namespace verolink::win32 {

// The screen window of ОсновнаяФорма: a fixed dialog-like frame drawn from
// MainWindowLayout() at the system's DPI, showing what the form holds and
// handing the user's clicks to the form's handlers.
class MainWindow {
 public:
  MainWindow(HINSTANCE instance, ОсновнаяФорма& form, Platform& platform);
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window, hidden, with its controls as designed.
  bool Create();
  // Shows the form's captions, check-box values, tool tips and banner cursor;
  // called once the form has loaded.
  void ShowFormState();
  // Shows the window with the keyboard focus on the button.
  void Show(int showCommand);

  HWND handle() const { return window_; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

  void CreateControls();
  void Paint();
  void OnCommand(int controlId, int notification);
  bool SetBannerCursor();
  bool InBanner(LPARAM clientPoint) const;
  // Runs an event handler of the form; nothing it raises leaves the window
  // procedure.
  void RunHandler(const std::function<void()>& handler);

  int PixelsX(int twips) const { return TwipsToPixels(twips, dpiX_); }
  int PixelsY(int twips) const { return TwipsToPixels(twips, dpiY_); }
  RECT PixelRect(const TwipsRect& twips) const;

  HINSTANCE instance_;
  ОсновнаяФорма& form_;
  Platform& platform_;
  HWND window_ = nullptr;
  int dpiX_ = 96;
  int dpiY_ = 96;
  // The focusable controls in tab order: button, Ярлык, ВключитьФайервол.
  struct Control {
    ControlId id;
    HWND window;
  };
  std::array<Control, 3> controls_{};
  HWND lastFocus_ = nullptr;
  RECT banner_{};
  bool bannerPressed_ = false;
  HCURSOR bannerCursor_ = nullptr;
  std::unique_ptr<BannerPicture> picture_;
  ToolTips toolTips_;
};

}  // namespace verolink::win32
