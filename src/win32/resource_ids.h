#pragma once

// Resource numbers shared by verolink.rc and the window code.
#define VEROLINK_ICON 1
#define VEROLINK_ICON_IMAGE 30001  // the icon group's one image
#define VEROLINK_HAND_CURSOR 101
#define VEROLINK_BANNER 102
#define VEROLINK_MANIFEST 1
#define VEROLINK_VERSION 1
