#include "win32/tool_tips.h"

#include <commctrl.h>

#include "win32/wide_text.h"

namespace verolink::win32 {

namespace {

// The record size that every comctl32 version (5 and 6) accepts.
const UINT kToolInfoSize = TTTOOLINFOW_V2_SIZE;

}  // namespace

void ToolTips::Create(HINSTANCE instance, HWND owner) {
  owner_ = owner;
  tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner,
                          nullptr, instance, nullptr);
}

void ToolTips::AddControl(HWND control, const Text& text) {
  if (tips_ == nullptr || control == nullptr || text.empty()) return;
  TOOLINFOW tool{};
  tool.cbSize = kToolInfoSize;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = owner_;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = const_cast<wchar_t*>(Wide(text));  // the control copies it
  SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void ToolTips::AddArea(UINT id, const RECT& area, const Text& text) {
  if (tips_ == nullptr || text.empty()) return;
  TOOLINFOW tool{};
  tool.cbSize = kToolInfoSize;
  tool.uFlags = TTF_SUBCLASS;
  tool.hwnd = owner_;
  tool.uId = id;
  tool.rect = area;
  tool.lpszText = const_cast<wchar_t*>(Wide(text));
  SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace verolink::win32
