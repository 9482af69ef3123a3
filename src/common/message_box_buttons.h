#pragma once

#include <vector>

namespace verolink {

// The buttons a message box of a given style shows, left to right, named in
// Russian, with the answer each gives; which one Enter presses (the style's
// default button, the first unless the style names another) and the answer
// Escape or the close box gives (Cancel, No or Ignore where the box has one,
// otherwise OK).
struct MessageBoxButton {
  const char* label;  // UTF-8
  int answer;
};

struct MessageBoxButtons {
  std::vector<MessageBoxButton> buttons;
  int enterIndex;
  int escapeAnswer;
};

MessageBoxButtons ButtonsOfStyle(int style);

// The kind of icon a style asks for.
enum class MessageBoxIcon { None, Critical, Question, Exclamation, Information };
MessageBoxIcon IconOfStyle(int style);

}  // namespace verolink
