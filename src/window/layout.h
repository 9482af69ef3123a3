#pragma once

#include <array>
#include <vector>

#include "common/text.h"

namespace verolink {

// The main window's design: geometry in twips (1/1440 inch; 15 twips per
// pixel at 96 dots per inch) from the top-left corner of the client area,
// captions, tool tips, tab order and initial values. Toolkits only draw it.

enum class ControlId { КнопкаСоздатьПодключение, Ярлык, ВключитьФайервол, Image1 };
enum class ControlKind { PushButton, CheckBox, Picture };
enum class RuleId { Line1, Line2 };

// System colours by their platform numbers.
enum class SystemColour { Background = 1, InactiveCaption = 3 };

struct TwipsRect {
  int left, top, width, height;
};

struct ControlLayout {
  ControlId id;
  const char* name;  // UTF-8
  ControlKind kind;
  TwipsRect twips;
  int tabIndex;      // -1: takes no focus
  Text caption;      // as designed; the button's is replaced while loading
  Text toolTip;      // the banner's is set while loading
  int initialValue;  // check boxes: 0, 1 or 2
};

struct RuleLayout {
  RuleId id;
  const char* name;
  int x1, y1, x2, y2;  // twips
  SystemColour colour;
};

struct WindowLayout {
  int clientWidth;                        // twips
  int clientHeight;                       // twips
  Text designCaption;                     // replaced while loading, never seen
  std::array<ControlLayout, 4> controls;  // in tab order; the banner last
  std::array<RuleLayout, 2> rules;
  int bannerCursorResource;  // the hand cursor
};

inline constexpr int kTwipsPerInch = 1440;

const WindowLayout& MainWindowLayout();
const ControlLayout& ControlOf(ControlId id);

// Twips to pixels at the given dots per inch, rounded to the nearest pixel.
constexpr int TwipsToPixels(int twips, int dpi = 96) {
  return (twips * dpi + kTwipsPerInch / 2) / kTwipsPerInch;
}

// The design from top to bottom, for toolkits that stack the controls and let
// each grow to the height its text needs at the desktop's font: each control
// or rule (one of the two is set) with the room above it left as designed.
// Pixels at 96 dots per inch; rules are clipped to the client area.
struct StackedItem {
  const ControlLayout* control;
  const RuleLayout* rule;
  int gapAbove, left, width, height;
};
std::vector<StackedItem> StackedFromTop();
// The room left below the lowest item, in pixels.
int StackedBottomGap();

}  // namespace verolink
