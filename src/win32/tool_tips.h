#pragma once

#include "common/text.h"
#include "win32/windows_api.h"

namespace verolink::win32 {

// One tool-tip control for the main window: tips for child controls and for
// areas of the window itself that have no window of their own.
class ToolTips {
 public:
  ToolTips() = default;
  ToolTips(const ToolTips&) = delete;
  ToolTips& operator=(const ToolTips&) = delete;

  void Create(HINSTANCE instance, HWND owner);
  // A tip over the child window `control` (an empty text adds none).
  void AddControl(HWND control, const Text& text);
  // A tip over `area` of the owner window, numbered `id`.
  void AddArea(UINT id, const RECT& area, const Text& text);

 private:
  HWND owner_ = nullptr;
  HWND tips_ = nullptr;
};

}  // namespace verolink::win32
