#include "window/form_texts.h"

namespace verolink {

Text MainWindowCaption(const ApplicationInfo& application) {
  return application.title + u" PPPoE " + ToDecimal(application.major) + u".00";
}

Text BannerToolTip(const Text& siteUrl, const Text& homePageUrl) {
  if (siteUrl == homePageUrl) {
    return u"Здесь может быть ссылка на ваш сервер. Перейти на сайт программы: " + siteUrl;
  }
  return u"Открыть сайт компании: " + siteUrl;
}

}  // namespace verolink
