#include "phonebook/set_ras_entry.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <optional>
#include <span>
#include <string>

#include "phonebook/entry_layout.h"

namespace verolink::modRASVPN {

namespace {

namespace layout = entry_layout;
using R = RasEntryRecord;

// Where a member of the record goes in the image.
struct Number {
  std::uint32_t offset;
  std::uint32_t R::*member;
};
struct Address {
  std::uint32_t offset;
  RasIpAddress R::*member;
};
struct Field {  // text, cut to the field's width
  std::uint32_t offset;
  std::uint32_t width;
  Text R::*member;
};

// Members at the same place in every layout (rows 2 to 19).
constexpr Number kFixedNumbers[] = {
    {layout::kOptions, &R::dwfOptions},           {layout::kCountryId, &R::dwCountryID},
    {layout::kCountryCode, &R::dwCountryCode},    {layout::kFrameSize, &R::dwFrameSize},
    {layout::kNetProtocols, &R::dwfNetProtocols}, {layout::kFramingProtocol, &R::dwFramingProtocol},
};
constexpr Address kAddresses[] = {
    {layout::kIpAddr, &R::ipaddr},
    {layout::kIpAddrDns, &R::ipaddrDns},
    {layout::kIpAddrDnsAlt, &R::ipaddrDnsAlt},
    {layout::kIpAddrWins, &R::ipaddrWins},
    {layout::kIpAddrWinsAlt, &R::ipaddrWinsAlt},
};
constexpr Field kFixedTexts[] = {
    {layout::kAreaCode, layout::kAreaCodeWidth, &R::szAreaCode},
    {layout::kLocalPhoneNumber, layout::kLocalPhoneNumberWidth, &R::szLocalPhoneNumber},
    {layout::kScript, layout::kPathWidth, &R::szScript},
    {layout::kAutodialDll, layout::kPathWidth, &R::szAutodialDll},
    {layout::kAutodialFunc, layout::kPathWidth, &R::szAutodialFunc},
    {layout::kDeviceType, layout::kDeviceTypeWidth, &R::szDeviceType},
};

// Dial members (rows 26 to 32).
constexpr Number kDialNumbers[] = {
    {layout::kSubEntries, &R::dwSubEntries},
    {layout::kDialMode, &R::dwDialMode},
    {layout::kDialExtraPercent, &R::dwDialExtraPercent},
    {layout::kDialExtraSampleSeconds, &R::dwDialExtraSampleSeconds},
    {layout::kHangUpExtraPercent, &R::dwHangUpExtraPercent},
    {layout::kHangUpExtraSampleSeconds, &R::dwHangUpExtraSampleSeconds},
    {layout::kIdleDisconnectSeconds, &R::dwIdleDisconnectSeconds},
};

// Type and security members (rows 33 to 38; guidId apart).
constexpr Number kTypeNumbers[] = {
    {layout::kType, &R::dwType},
    {layout::kEncryptionType, &R::dwEncryptionType},
    {layout::kCustomAuthKey, &R::dwCustomAuthKey},
    {layout::kVpnStrategy, &R::dwVpnStrategy},
};
constexpr Field kTypeTexts[] = {{layout::kCustomDialDll, layout::kPathWidth, &R::szCustomDialDll}};

// Second options and DNS suffix (rows 39 to 41).
constexpr Number kOptions2Numbers[] = {
    {layout::kOptions2, &R::dwfOptions2},
    {layout::kOptions3, &R::dwfOptions3},
};
constexpr Field kOptions2Texts[] = {{layout::kDnsSuffix, layout::kDnsSuffixWidth, &R::szDnsSuffix}};

// Lays members of one record into its zero-filled image.
class ImageWriter {
 public:
  ImageWriter(std::vector<std::uint8_t>& image, const R& record, const CodePage& codePage)
      : image_(image), record_(record), codePage_(codePage) {}

  void PutU32(std::uint32_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) image_[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
  void PutText(std::uint32_t offset, std::uint32_t width, TextView text) {
    CopyStringToBuffer(image_.data() + offset, text, width, codePage_);
  }
  void Put(std::span<const Number> numbers) {
    for (const Number& n : numbers) PutU32(n.offset, record_.*n.member);
  }
  void Put(std::span<const Field> fields) {
    for (const Field& f : fields) PutText(f.offset, f.width, record_.*f.member);
  }
  void Put(std::span<const Address> addresses) {
    for (const Address& a : addresses) {
      const RasIpAddress& ip = record_.*a.member;
      const std::uint8_t bytes[] = {ip.a, ip.b, ip.c, ip.d};
      std::copy(std::begin(bytes), std::end(bytes), image_.begin() + a.offset);
    }
  }

 private:
  std::vector<std::uint8_t>& image_;
  const R& record_;
  const CodePage& codePage_;
};

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

std::vector<std::uint8_t> BuildEntryImage(const RasEntryRecord& record, std::uint32_t size,
                                          const CodePage& codePage) {
  // A size whose layout cannot hold its own members has no image.
  if (!layout::LayoutFits(size)) return {};

  const std::string alternates = codePage.ToAnsi(record.AlternateNumbers);
  std::vector<std::uint8_t> image(size + alternates.size() + 2, 0);
  ImageWriter w(image, record, codePage);

  w.PutU32(layout::kSize, size);
  w.Put(kFixedNumbers);
  w.Put(kAddresses);
  w.Put(kFixedTexts);
  // The alternate numbers follow the structure; the two zero bytes after them
  // end the list.
  if (!alternates.empty()) {
    std::copy(alternates.begin(), alternates.end(), image.begin() + size);
    w.PutU32(layout::kAlternateOffset, size);
  }

  const layout::DeviceBlock device = layout::DeviceBlockFor(size);
  w.PutText(layout::kDeviceName, device.deviceNameWidth, record.szDeviceName);
  w.PutText(device.x25PadType, layout::kX25PadTypeWidth, record.szX25PadType);
  w.PutText(device.x25Address, layout::kX25FieldWidth, record.szX25Address);
  w.PutText(device.x25Facilities, layout::kX25FieldWidth, record.szX25Facilities);
  w.PutText(device.x25UserData, layout::kX25FieldWidth, record.szX25UserData);
  w.PutU32(device.channels, record.dwChannels);

  if (!layout::HasDialMembers(size)) return image;
  w.Put(kDialNumbers);

  if (!layout::HasTypeMembers(size)) return image;
  w.Put(kTypeNumbers);
  std::copy(record.guidId.begin(), record.guidId.end(), image.begin() + layout::kGuidId);
  w.Put(kTypeTexts);

  if (!layout::HasOptions2Members(size)) return image;
  w.Put(kOptions2Numbers);
  w.Put(kOptions2Texts);
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
