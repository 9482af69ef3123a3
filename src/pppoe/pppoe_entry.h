#pragma once

#include "phonebook/ras_entry_record.h"
#include "start/platform.h"
#include "start/profile.h"

namespace verolink::PPPoE {

// The broadband PPPoE entry this program exists to make: the provider's
// service name as the phone number, the PPPoE miniport, IP only.
RasEntryRecord PPPoEEntryRecord(const Profile& profile);

// Writes that entry under the profile's ConnectionName (trimmed) into the
// default phonebook. A failed write is shown to the user as the phonebook's
// text for the error; returns whether the write succeeded.
bool CreatePPPoEEntry(Platform& platform, const Profile& profile);

}  // namespace verolink::PPPoE
