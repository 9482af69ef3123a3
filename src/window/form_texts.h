#pragma once

#include "common/text.h"
#include "start/application.h"

namespace verolink {

inline constexpr char16_t kCreateButtonCaption[] = u"Создать PPPoE подключение к Интернет";

// The window caption: title, " PPPoE ", the major version, ".00" (the minor
// version and the revision never show).
Text MainWindowCaption(const ApplicationInfo& application);

// The banner's tool tip: an invitation when the site is the program's own home
// page (exact comparison, letter case counting), else the company's site.
Text BannerToolTip(const Text& siteUrl, const Text& homePageUrl);

}  // namespace verolink
