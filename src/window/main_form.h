#pragma once

#include <map>

#include "start/platform.h"
#include "start/profile.h"
#include "window/layout.h"

namespace verolink {

// The main window ОсновнаяФорма as the program sees it: its state (captions,
// tool tips, check-box values, the banner's cursor) and its event handlers.
// A toolkit draws it from MainWindowLayout(), shows what this object holds,
// forwards the user's clicks to the handlers and reports check-box changes.
class ОсновнаяФорма {
 public:
  ОсновнаяФорма(Platform& platform, const Profile& profile);

  // The window object is created: prepares the common controls.
  void Initialize();
  // The window is loaded, before it first shows: captions, cursor, tool tip.
  void Load();

  // Click handlers. The banner click swallows every failure. The button runs
  // CreateConnection unless a run is already in progress; an error raised by a
  // platform facility during the run passes on to the toolkit's handler.
  void OnBannerClick();
  void OnCreateButtonClick();

  // What the toolkit shows.
  const Text& Caption() const { return caption_; }
  const Text& ControlCaption(ControlId id) const;
  const Text& ToolTip(ControlId id) const;
  int CheckValue(ControlId id) const;
  int BannerCursorResource() const { return bannerCursor_; }  // 0 before loading

  // The user changed a check box (0, 1 or 2).
  void SetCheckValue(ControlId id, int value);

  // True while the create-connection workflow runs.
  bool Busy() const { return busy_; }

 private:
  Platform& platform_;
  const Profile& profile_;
  Text caption_;
  std::map<ControlId, Text> captions_;
  std::map<ControlId, Text> toolTips_;
  std::map<ControlId, int> values_;
  int bannerCursor_ = 0;
  bool busy_ = false;
};

}  // namespace verolink
