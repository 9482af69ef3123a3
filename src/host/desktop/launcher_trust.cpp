#include "host/desktop/launcher_trust.h"

#include <gio/gio.h>

#include <cstring>
#include <memory>
#include <utility>

namespace verolink::host {

namespace {

struct ObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
using FilePtr = std::unique_ptr<GFile, ObjectUnref>;

FilePtr FileAt(const std::string& path) {
  // GVfs talks to its daemons over the process's shared session bus, which
  // by default ends the process when the bus goes; the window stays instead.
  static const bool keptAlive = [] {
    if (GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)) {
      g_dbus_connection_set_exit_on_close(bus, FALSE);
      g_object_unref(bus);
    }
    return true;
  }();
  (void)keptAlive;
  return FilePtr(g_file_new_for_path(path.c_str()));
}

// GIO offers the "metadata" namespace only where GVfs's metadata daemon
// answers on the session bus.
bool HasMetadataStore(GFile* file) {
  GFileAttributeInfoList* spaces = g_file_query_writable_namespaces(file, nullptr, nullptr);
  if (spaces == nullptr) return false;
  bool found = false;
  for (int i = 0; i < spaces->n_infos; ++i) {
    found = found || std::strcmp(spaces->infos[i].name, "metadata") == 0;
  }
  g_file_attribute_info_list_unref(spaces);
  return found;
}

}  // namespace

std::string MarkLauncherTrusted(const std::string& path, std::string_view contents) {
  const FilePtr file = FileAt(path);
  if (!HasMetadataStore(file.get())) {
    return "no GVfs metadata store (gvfsd-metadata) answers on the session bus";
  }
  gchar* checksum = g_compute_checksum_for_data(
      G_CHECKSUM_SHA256, reinterpret_cast<const guchar*>(contents.data()), contents.size());
  const std::pair<const char*, std::string> keys[] = {{"metadata::trusted", "true"},
                                                      {"metadata::xfce-exe-checksum", checksum},
                                                      {"metadata::caja-trusted-launcher", "true"}};
  g_free(checksum);
  for (const auto& [key, value] : keys) {
    GError* error = nullptr;
    if (!g_file_set_attribute_string(file.get(), key, value.c_str(), G_FILE_QUERY_INFO_NONE,
                                     nullptr, &error)) {
      std::string why = std::string(key) + ": " + error->message;
      g_error_free(error);
      return why;
    }
  }
  return {};
}

void DeleteWithMetadata(const std::string& path) {
  g_file_delete(FileAt(path).get(), nullptr, nullptr);
}

}  // namespace verolink::host
