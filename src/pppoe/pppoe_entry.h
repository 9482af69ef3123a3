#pragma once

#include "phonebook/ras_entry_record.h"
#include "start/platform.h"
#include "start/profile.h"

namespace verolink::PPPoE {

// The PPPoE miniport under its name on a Russian-language system.
inline constexpr char16_t kBuiltInDeviceName[] = u"Минипорт WAN (PPPoE)";

// The broadband PPPoE entry this program exists to make: the provider's
// service name as the phone number, the PPPoE miniport named `deviceName`,
// IP only.
RasEntryRecord PPPoEEntryRecord(const Profile& profile,
                                const Text& deviceName = kBuiltInDeviceName);

// The PPPoE miniport's name on this system. Its name differs between language
// editions ("WAN Miniport (PPPOE)" on an English one): where the phonebook
// lists devices of type "PPPoE" and none of them has the built-in name, the
// first of them is named; otherwise (the built-in name listed, no PPPoE device,
// or a failed listing) the built-in name.
Text PPPoEDeviceName(Platform& platform);

// Writes that entry under the profile's ConnectionName (trimmed) into the
// default phonebook, over the device PPPoEDeviceName names. A failed write is shown to the user as
// the phonebook's text for the error; returns whether the write succeeded.
bool CreatePPPoEEntry(Platform& platform, const Profile& profile);

}  // namespace verolink::PPPoE
