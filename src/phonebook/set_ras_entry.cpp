#include "phonebook/set_ras_entry.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "phonebook/entry_layout.h"

namespace verolink::modRASVPN {

namespace {

namespace layout = entry_layout;

void PutU32(std::vector<std::uint8_t>& image, std::uint32_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) image[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void PutAddress(std::vector<std::uint8_t>& image, std::uint32_t offset,
                const RasIpAddress& address) {
  image[offset] = address.a;
  image[offset + 1] = address.b;
  image[offset + 2] = address.c;
  image[offset + 3] = address.d;
}

// Copies `text` into a field of `image`, cut to the field's width.
void PutText(std::vector<std::uint8_t>& image, std::uint32_t offset, TextView text,
             std::uint32_t width, const CodePage& codePage) {
  CopyStringToBuffer(image.data() + offset, text, width, codePage);
}

}  // namespace

void CopyStringToBuffer(std::uint8_t* destination, TextView text, std::size_t maxBytes,
                        const CodePage& codePage) {
  if (text.empty() || maxBytes == 0) return;
  const std::string ansi = codePage.ToAnsi(text);
  // The field's last byte stays free for the terminating zero, which the
  // zero-filled image supplies.
  const std::size_t n = std::min(ansi.size(), maxBytes - 1);
  std::memcpy(destination, ansi.data(), n);
}

std::vector<std::uint8_t> BuildEntryImage(const RasEntryRecord& r, std::uint32_t size,
                                          const CodePage& cp) {
  // A size whose layout cannot hold its own members has no image.
  if (!layout::LayoutFits(size)) return {};

  const std::string alternates = cp.ToAnsi(r.AlternateNumbers);
  std::vector<std::uint8_t> image(size + alternates.size() + 2, 0);

  PutU32(image, layout::kSize, size);
  PutU32(image, layout::kOptions, r.dwfOptions);
  PutU32(image, layout::kCountryId, r.dwCountryID);
  PutU32(image, layout::kCountryCode, r.dwCountryCode);
  PutText(image, layout::kAreaCode, r.szAreaCode, layout::kAreaCodeWidth, cp);
  PutText(image, layout::kLocalPhoneNumber, r.szLocalPhoneNumber, layout::kLocalPhoneNumberWidth,
          cp);

  // The alternate numbers follow the structure; the two zero bytes after them
  // end the list.
  if (!alternates.empty()) {
    std::memcpy(image.data() + size, alternates.data(), alternates.size());
    PutU32(image, layout::kAlternateOffset, size);
  }

  PutAddress(image, layout::kIpAddr, r.ipaddr);
  PutAddress(image, layout::kIpAddrDns, r.ipaddrDns);
  PutAddress(image, layout::kIpAddrDnsAlt, r.ipaddrDnsAlt);
  PutAddress(image, layout::kIpAddrWins, r.ipaddrWins);
  PutAddress(image, layout::kIpAddrWinsAlt, r.ipaddrWinsAlt);
  PutU32(image, layout::kFrameSize, r.dwFrameSize);
  PutU32(image, layout::kNetProtocols, r.dwfNetProtocols);
  PutU32(image, layout::kFramingProtocol, r.dwFramingProtocol);
  PutText(image, layout::kScript, r.szScript, layout::kPathWidth, cp);
  PutText(image, layout::kAutodialDll, r.szAutodialDll, layout::kPathWidth, cp);
  PutText(image, layout::kAutodialFunc, r.szAutodialFunc, layout::kPathWidth, cp);
  PutText(image, layout::kDeviceType, r.szDeviceType, layout::kDeviceTypeWidth, cp);

  const layout::DeviceBlock device = layout::DeviceBlockFor(size);
  PutText(image, layout::kDeviceName, r.szDeviceName, device.deviceNameWidth, cp);
  PutText(image, device.x25PadType, r.szX25PadType, layout::kX25PadTypeWidth, cp);
  PutText(image, device.x25Address, r.szX25Address, layout::kX25FieldWidth, cp);
  PutText(image, device.x25Facilities, r.szX25Facilities, layout::kX25FieldWidth, cp);
  PutText(image, device.x25UserData, r.szX25UserData, layout::kX25FieldWidth, cp);
  PutU32(image, device.channels, r.dwChannels);

  if (!layout::HasDialMembers(size)) return image;
  PutU32(image, layout::kSubEntries, r.dwSubEntries);
  PutU32(image, layout::kDialMode, r.dwDialMode);
  PutU32(image, layout::kDialExtraPercent, r.dwDialExtraPercent);
  PutU32(image, layout::kDialExtraSampleSeconds, r.dwDialExtraSampleSeconds);
  PutU32(image, layout::kHangUpExtraPercent, r.dwHangUpExtraPercent);
  PutU32(image, layout::kHangUpExtraSampleSeconds, r.dwHangUpExtraSampleSeconds);
  PutU32(image, layout::kIdleDisconnectSeconds, r.dwIdleDisconnectSeconds);

  if (!layout::HasTypeMembers(size)) return image;
  PutU32(image, layout::kType, r.dwType);
  PutU32(image, layout::kEncryptionType, r.dwEncryptionType);
  PutU32(image, layout::kCustomAuthKey, r.dwCustomAuthKey);
  std::copy(r.guidId.begin(), r.guidId.end(), image.begin() + layout::kGuidId);
  PutText(image, layout::kCustomDialDll, r.szCustomDialDll, layout::kPathWidth, cp);
  PutU32(image, layout::kVpnStrategy, r.dwVpnStrategy);

  if (!layout::HasOptions2Members(size)) return image;
  PutU32(image, layout::kOptions2, r.dwfOptions2);
  PutU32(image, layout::kOptions3, r.dwfOptions3);
  PutText(image, layout::kDnsSuffix, r.szDnsSuffix, layout::kDnsSuffixWidth, cp);
  return image;
}

RasError SetRasEntry(Platform& platform, const Text& entryName, const RasEntryRecord& record,
                     const Text& phonebook) {
  std::uint32_t size = 0;
  const RasError query = platform.phonebook.QueryEntrySize(size);
  // A query that "succeeds" tells no size at all; like a size that cannot
  // hold the structure's members, it must not pass for a written entry.
  if (query == kRasSuccess) return kErrorInvalidSize;
  if (query != kErrorBufferTooSmall) return query;
  if (!entry_layout::LayoutFits(size)) return kErrorInvalidSize;

  const std::vector<std::uint8_t> image = BuildEntryImage(record, size, platform.codePage);
  std::optional<std::string> book;
  if (!phonebook.empty()) book = platform.codePage.ToAnsi(phonebook);
  return platform.phonebook.SetEntryProperties(book, platform.codePage.ToAnsi(entryName), image,
                                               size);
}

}  // namespace verolink::modRASVPN
