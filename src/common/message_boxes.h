#pragma once

#include "common/text.h"

namespace verolink {

// Style values of a message box, added together.
inline constexpr int kMbOkOnly = 0;
inline constexpr int kMbYesNo = 4;
inline constexpr int kMbCritical = 16;
inline constexpr int kMbQuestion = 32;
inline constexpr int kMbInformation = 64;

// Answers of a message box.
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

// Modal message boxes: Show returns when the user has closed the box.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  virtual int Show(const Text& text, int style, const Text& title) = 0;
};

}  // namespace verolink
