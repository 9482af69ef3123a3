#pragma once

#include <string>
#include <string_view>

namespace verolink::host {

// Marks the launcher at `path`, whose bytes are `contents`, as one its user
// trusts, in GVfs's metadata store, as the file managers' own "Allow
// Launching" does: metadata::trusted (GNOME's desktop icons),
// metadata::xfce-exe-checksum, the SHA-256 of the bytes in lowercase hex
// (Thunar), and metadata::caja-trusted-launcher (Caja). The store keeps
// these by path, so this comes after the file's last write. Empty when all
// are set; else why not, one line of English. The calls are synchronous
// calls on the user's session bus.
std::string MarkLauncherTrusted(const std::string& path, std::string_view contents);

// Deletes the file through GIO, so that the metadata store forgets the path
// too: a trust left there would pass to the next file of that name.
void DeleteWithMetadata(const std::string& path);

}  // namespace verolink::host
