#include "win32/common_controls.h"

namespace verolink::win32 {

namespace {
// The record is INITCOMMONCONTROLSEX: dwSize, then dwICC.
using InitCommonControlsExFn = BOOL(WINAPI*)(const DWORD* record);
}  // namespace

void Comctl32Controls::InitCommonControlsEx(std::uint32_t recordSize, std::uint32_t classes) {
  auto init = comctl32_.Require<InitCommonControlsExFn>("InitCommonControlsEx", "comctl32.dll");
  const DWORD record[2] = {recordSize, classes};
  init(record);
}

}  // namespace verolink::win32
