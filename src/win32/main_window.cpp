#include "win32/main_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <exception>
#include <utility>

#include "start/application.h"
#include "win32/resource_ids.h"
#include "win32/wide_text.h"

namespace verolink::win32 {

namespace {

constexpr wchar_t kClassName[] = L"VerolinkMainWindow";
// A fixed frame with a caption, a system menu and a close box only.
constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = 0;
// Control numbers; 1 and 2 are IDOK and IDCANCEL, which the dialog keys send.
constexpr int kFirstControlId = 1001;
constexpr UINT kBannerToolId = 1;
// The common-control classes the window uses itself (tool tips).
constexpr std::uint32_t kIccWin95Classes = 0xFF;

std::array<ControlId, 3> FocusableControls() {
  return {ControlId::КнопкаСоздатьПодключение, ControlId::Ярлык, ControlId::ВключитьФайервол};
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, ОсновнаяФорма& form, Platform& platform)
    : instance_(instance), form_(form), platform_(platform) {}

RECT MainWindow::PixelRect(const TwipsRect& twips) const {
  const int left = PixelsX(twips.left);
  const int top = PixelsY(twips.top);
  return RECT{left, top, left + PixelsX(twips.width), top + PixelsY(twips.height)};
}

bool MainWindow::Create() {
  HDC screen = GetDC(nullptr);
  if (screen != nullptr) {
    dpiX_ = GetDeviceCaps(screen, LOGPIXELSX);
    dpiY_ = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
  }

  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &MainWindow::Procedure;
  windowClass.hInstance = instance_;
  windowClass.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(VEROLINK_ICON));
  windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(VEROLINK_ICON),
                                                      IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                      GetSystemMetrics(SM_CYSMICON), 0));
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = kClassName;
  if (RegisterClassExW(&windowClass) == 0) return false;

  const WindowLayout& layout = MainWindowLayout();
  RECT frame{0, 0, PixelsX(layout.clientWidth), PixelsY(layout.clientHeight)};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;

  window_ = CreateWindowExW(kExStyle, kClassName, Wide(layout.designCaption), kStyle, x, y, width,
                            height, nullptr, nullptr, instance_, this);
  if (window_ == nullptr) return false;

  picture_ = std::make_unique<BannerPicture>(instance_, VEROLINK_BANNER);
  banner_ = PixelRect(ControlOf(ControlId::Image1).twips);
  CreateControls();
  try {
    platform_.commonControls.InitCommonControlsEx(sizeof(DWORD) * 2, kIccWin95Classes);
  } catch (const std::exception&) {
    // without comctl32 the window simply has no tool tips
  }
  toolTips_.Create(instance_, window_);
  return true;
}

void MainWindow::CreateControls() {
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  const auto ids = FocusableControls();
  for (std::size_t i = 0; i < ids.size(); ++i) {
    const ControlLayout& layout = ControlOf(ids[i]);
    const DWORD kind = layout.kind == ControlKind::PushButton ? BS_PUSHBUTTON : BS_AUTOCHECKBOX;
    const RECT r = PixelRect(layout.twips);
    HWND control = CreateWindowExW(
        0, L"BUTTON", Wide(layout.caption), WS_CHILD | WS_VISIBLE | WS_TABSTOP | kind, r.left,
        r.top, r.right - r.left, r.bottom - r.top, window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + i)), instance_, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    controls_[i] = Control{ids[i], control};
  }
}

void MainWindow::ShowFormState() {
  SetWindowTextW(window_, Wide(form_.Caption()));
  for (const Control& control : controls_) {
    SetWindowTextW(control.window, Wide(form_.ControlCaption(control.id)));
    if (ControlOf(control.id).kind == ControlKind::CheckBox) {
      SendMessageW(control.window, BM_SETCHECK, static_cast<WPARAM>(form_.CheckValue(control.id)),
                   0);
    }
    toolTips_.AddControl(control.window, form_.ToolTip(control.id));
  }
  toolTips_.AddArea(kBannerToolId, banner_, form_.ToolTip(ControlId::Image1));
  if (form_.BannerCursorResource() != 0) {
    bannerCursor_ = LoadCursorW(instance_, MAKEINTRESOURCEW(form_.BannerCursorResource()));
  }
}

void MainWindow::Show(int showCommand) {
  ShowWindow(window_, showCommand);
  UpdateWindow(window_);
  lastFocus_ = controls_[0].window;
  SetFocus(lastFocus_);
}

LRESULT CALLBACK MainWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_ = window;
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return self->Handle(message, wParam, lParam);
}

LRESULT MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == window_ && LOWORD(lParam) == HTCLIENT &&
          SetBannerCursor()) {
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
      bannerPressed_ = InBanner(lParam);
      return 0;
    case WM_LBUTTONUP:
      // A click on the banner: pressed and released over it.
      if (std::exchange(bannerPressed_, false) && InBanner(lParam)) {
        RunHandler([this] { form_.OnBannerClick(); });
      }
      return 0;
    case WM_ACTIVATE:
      // Keeps the focused control across deactivation, as a dialog does.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window_, focus)) lastFocus_ = focus;
      } else if (lastFocus_ != nullptr) {
        SetFocus(lastFocus_);
        return 0;
      }
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

void MainWindow::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window_, &paint);
  if (picture_) picture_->Draw(dc, banner_);
  RECT client;
  GetClientRect(window_, &client);
  for (const RuleLayout& rule : MainWindowLayout().rules) {
    // One pixel row, drawn to the rule's end or the window's edge.
    const int y = PixelsY(rule.y1);
    RECT row{PixelsX(rule.x1), y, PixelsX(rule.x2), y + 1};
    if (row.right > client.right) row.right = client.right;
    SetDCBrushColor(dc, GetSysColor(static_cast<int>(rule.colour)));
    FillRect(dc, &row, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  }
  EndPaint(window_, &paint);
}

void MainWindow::OnCommand(int controlId, int notification) {
  // Enter comes as IDOK from the dialog keys; on the focused button it presses
  // it, as in a dialog. The window has no default button otherwise.
  if (controlId == IDOK && GetFocus() == controls_[0].window) {
    SendMessageW(controls_[0].window, BM_CLICK, 0, 0);
    return;
  }
  if (notification != BN_CLICKED) return;
  const int index = controlId - kFirstControlId;
  if (index < 0 || index >= static_cast<int>(controls_.size())) return;
  const Control& control = controls_[static_cast<std::size_t>(index)];
  if (control.id == ControlId::КнопкаСоздатьПодключение) {
    RunHandler([this] { form_.OnCreateButtonClick(); });
  } else {
    const auto value = static_cast<int>(SendMessageW(control.window, BM_GETCHECK, 0, 0));
    form_.SetCheckValue(control.id, value);
  }
}

bool MainWindow::InBanner(LPARAM clientPoint) const {
  const POINT point{GET_X_LPARAM(clientPoint), GET_Y_LPARAM(clientPoint)};
  return PtInRect(&banner_, point) != FALSE;
}

bool MainWindow::SetBannerCursor() {
  if (bannerCursor_ == nullptr) return false;
  POINT point;
  if (!GetCursorPos(&point) || !ScreenToClient(window_, &point)) return false;
  if (!PtInRect(&banner_, point)) return false;
  SetCursor(bannerCursor_);
  return true;
}

void MainWindow::RunHandler(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    platform_.messageBoxes.Show(u"Ошибка: " + FromUtf8(error.what()), kMbCritical,
                                Application().title);
  } catch (...) {
    platform_.messageBoxes.Show(u"Ошибка.", kMbCritical, Application().title);
  }
}

}  // namespace verolink::win32
