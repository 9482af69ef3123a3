#include "window/main_form.h"

#include <exception>

#include "start/application.h"
#include "window/create_connection.h"
#include "window/form_texts.h"
#include "window/visual_styles.h"

namespace verolink {

namespace {

const Text& EmptyText() {
  static const Text empty;
  return empty;
}

// Marks the form busy for one run of the workflow, on every way out of it.
class BusyScope {
 public:
  explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;
  ~BusyScope() { busy_ = false; }

 private:
  bool& busy_;
};

}  // namespace

ОсновнаяФорма::ОсновнаяФорма(Platform& platform, const Profile& profile)
    : platform_(platform), profile_(profile) {
  // The design as stored with the window; loading replaces some of it.
  const WindowLayout& layout = MainWindowLayout();
  caption_ = layout.designCaption;
  for (const ControlLayout& control : layout.controls) {
    captions_[control.id] = control.caption;
    toolTips_[control.id] = control.toolTip;
    if (control.kind == ControlKind::CheckBox) values_[control.id] = control.initialValue;
  }
}

void ОсновнаяФорма::Initialize() { XPStile::InitVisualStyles(platform_); }

void ОсновнаяФорма::Load() {
  captions_[ControlId::КнопкаСоздатьПодключение] = kCreateButtonCaption;
  caption_ = MainWindowCaption(Application());
  bannerCursor_ = MainWindowLayout().bannerCursorResource;
  toolTips_[ControlId::Image1] = BannerToolTip(profile_.SiteUrl, HomePageUrl());
}

void ОсновнаяФорма::OnBannerClick() {
  try {
    platform_.browser.ShellExecute("open", platform_.codePage.ToAnsi(profile_.SiteUrl), "", "",
                                   kSwShowMaximized);
  } catch (const std::exception&) {
    // No browser or no handler for the address: the window stays as it was.
  }
}

void ОсновнаяФорма::OnCreateButtonClick() {
  // A press that arrives while a run processes pending events starts nothing.
  if (busy_) return;
  const BusyScope scope(busy_);
  CreateConnection(platform_, profile_, *this);
}

const Text& ОсновнаяФорма::ControlCaption(ControlId id) const {
  const auto it = captions_.find(id);
  return it == captions_.end() ? EmptyText() : it->second;
}

const Text& ОсновнаяФорма::ToolTip(ControlId id) const {
  const auto it = toolTips_.find(id);
  return it == toolTips_.end() ? EmptyText() : it->second;
}

int ОсновнаяФорма::CheckValue(ControlId id) const {
  const auto it = values_.find(id);
  return it == values_.end() ? 0 : it->second;
}

void ОсновнаяФорма::SetCheckValue(ControlId id, int value) {
  // Only the two check boxes hold a value, and only 0, 1 or 2.
  const auto it = values_.find(id);
  if (it != values_.end() && value >= 0 && value <= 2) it->second = value;
}

}  // namespace verolink
