#include "host/connect/keyring_store.h"

#include <libsecret/secret.h>

#include <cstdio>

namespace verolink::host {

namespace {

const SecretSchema kSchema = {"org.freedesktop.NetworkManager.Connection",
                              SECRET_SCHEMA_DONT_MATCH_NAME,
                              {{"connection-uuid", SECRET_SCHEMA_ATTRIBUTE_STRING},
                               {"setting-name", SECRET_SCHEMA_ATTRIBUTE_STRING},
                               {"setting-key", SECRET_SCHEMA_ATTRIBUTE_STRING},
                               {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
                              0,
                              nullptr,
                              nullptr,
                              nullptr,
                              nullptr,
                              nullptr,
                              nullptr,
                              nullptr};

// Says on standard error why the Secret Service did not do `what`, and
// frees the error.
void Report(const char* what, GError* error) {
  if (error == nullptr) return;
  std::fprintf(stderr, "verolink: secret service: %s: %s\n", what, error->message);
  g_error_free(error);
}

}  // namespace

bool KeyringStore::Available() {
  GError* error = nullptr;
  // Opening a session asks the service itself (starting it where the bus
  // starts it on demand); a proxy alone would stand for a missing one.
  SecretService* service = secret_service_get_sync(SECRET_SERVICE_OPEN_SESSION, nullptr, &error);
  if (service == nullptr) {
    Report("not available", error);
    return false;
  }
  g_object_unref(service);
  return true;
}

std::optional<std::string> KeyringStore::Lookup(const std::string& uuid) {
  GError* error = nullptr;
  gchar* password =
      secret_password_lookup_sync(&kSchema, nullptr, &error, "connection-uuid", uuid.c_str(),
                                  "setting-name", "pppoe", "setting-key", "password", nullptr);
  Report("cannot look the password up", error);
  if (password == nullptr) return std::nullopt;
  std::string found(password);
  secret_password_free(password);
  return found;
}

bool KeyringStore::Remember(const std::string& uuid, const std::string& name,
                            const std::string& password) {
  // The label NetworkManager's agents give the same item.
  const std::string label = "Network secret for " + name + "/pppoe/password";
  GError* error = nullptr;
  const bool kept = secret_password_store_sync(
      &kSchema, SECRET_COLLECTION_DEFAULT, label.c_str(), password.c_str(), nullptr, &error,
      "connection-uuid", uuid.c_str(), "setting-name", "pppoe", "setting-key", "password", nullptr);
  Report("cannot keep the password", error);
  return kept;
}

}  // namespace verolink::host
