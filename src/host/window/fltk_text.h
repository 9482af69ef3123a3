#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "common/text.h"

namespace verolink::host {

// A text as FLTK should draw it, character for character: UTF-8 with every
// '@' doubled, since FLTK reads "@name" as a symbol in labels and tool tips.
// '&' needs no escape on widgets that do not draw shortcuts (see PlainLabel).
std::string FltkDrawnText(TextView text);
std::string FltkDrawnText(std::string_view utf8);

// Breaks UTF-8 text into lines no wider than maxWidth, at blanks, keeping
// the line breaks it has; a word wider than maxWidth stands on a line of its
// own. `width` measures a piece of text. FLTK's message boxes do not wrap.
std::string WrapToWidth(std::string_view text, double maxWidth,
                        const std::function<double(std::string_view)>& width);

}  // namespace verolink::host
