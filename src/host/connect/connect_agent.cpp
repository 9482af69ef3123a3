#include "host/connect/connect_agent.h"

// libnm's headers declare some functions without C linkage of their own.
extern "C" {
#include <NetworkManager.h>
#include <nm-secret-agent-old.h>
}

#include <cstring>

#include "host/connect/bounded_wait.h"

namespace verolink::host {

// The GObject class of the agent: NetworkManager's calls, handed to its owner.
struct AgentObject {
  NMSecretAgentOld parent;
  ConnectAgent* owner;
};

namespace {

struct AgentObjectClass {
  NMSecretAgentOldClass parent;
};

GType agent_object_get_type();
G_DEFINE_TYPE(AgentObject, agent_object, NM_TYPE_SECRET_AGENT_OLD)

void GetSecrets(NMSecretAgentOld* agent, NMConnection* connection, const char*, const char* setting,
                const char**, NMSecretAgentGetSecretsFlags flags,
                NMSecretAgentOldGetSecretsFunc callback, gpointer data) {
  using Answer = connect::SecretOffer::Answer;
  ConnectAgent* owner = reinterpret_cast<AgentObject*>(agent)->owner;
  const char* uuid = nm_connection_get_uuid(connection);
  const Answer answer =
      owner == nullptr ? Answer::kDecline
                       : owner->offer().For(uuid ? uuid : "", setting ? setting : "",
                                            (flags & NM_SECRET_AGENT_GET_SECRETS_FLAG_REQUEST_NEW));
  if (answer != Answer::kPassword) {
    const bool cancel = answer == Answer::kCancel;
    GError* error = g_error_new_literal(
        NM_SECRET_AGENT_ERROR,
        cancel ? NM_SECRET_AGENT_ERROR_USER_CANCELED : NM_SECRET_AGENT_ERROR_NO_SECRETS,
        cancel ? "the password was refused; the connect window asks again" : "not this agent's");
    callback(agent, connection, nullptr, error, data);
    g_error_free(error);
    return;
  }
  GVariantBuilder pppoe;
  g_variant_builder_init(&pppoe, G_VARIANT_TYPE("a{sv}"));
  g_variant_builder_add(&pppoe, "{sv}", NM_SETTING_PPPOE_PASSWORD,
                        g_variant_new_string(owner->offer().password().c_str()));
  GVariantBuilder secrets;
  g_variant_builder_init(&secrets, NM_VARIANT_TYPE_CONNECTION);
  g_variant_builder_add(&secrets, "{sa{sv}}", NM_SETTING_PPPOE_SETTING_NAME, &pppoe);
  callback(agent, connection, g_variant_builder_end(&secrets), nullptr, data);
}

void CancelGetSecrets(NMSecretAgentOld*, const char*, const char*) {}

// Nothing is saved or deleted here: the window keeps the password itself.
void SaveSecrets(NMSecretAgentOld* agent, NMConnection* connection, const char*,
                 NMSecretAgentOldSaveSecretsFunc callback, gpointer data) {
  callback(agent, connection, nullptr, data);
}
void DeleteSecrets(NMSecretAgentOld* agent, NMConnection* connection, const char*,
                   NMSecretAgentOldDeleteSecretsFunc callback, gpointer data) {
  callback(agent, connection, nullptr, data);
}

void agent_object_init(AgentObject* self) { self->owner = nullptr; }

void agent_object_class_init(AgentObjectClass* klass) {
  NMSecretAgentOldClass* agent = NM_SECRET_AGENT_OLD_CLASS(klass);
  agent->get_secrets = GetSecrets;
  agent->cancel_get_secrets = CancelGetSecrets;
  agent->save_secrets = SaveSecrets;
  agent->delete_secrets = DeleteSecrets;
}

struct Registration {
  bool done = false;
  GError* error = nullptr;
};

}  // namespace

std::unique_ptr<ConnectAgent> ConnectAgent::Register(std::chrono::milliseconds timeout,
                                                     std::string& reason) {
  GError* error = nullptr;
  auto* object = static_cast<AgentObject*>(g_initable_new(
      agent_object_get_type(), nullptr, &error, NM_SECRET_AGENT_OLD_IDENTIFIER,
      "org.verolink.pppoe.connect", NM_SECRET_AGENT_OLD_AUTO_REGISTER, FALSE, nullptr));
  if (object == nullptr) {
    reason = error ? error->message : "no secret agent";
    g_clear_error(&error);
    return nullptr;
  }
  GCancellable* cancellable = g_cancellable_new();
  Registration registration;
  nm_secret_agent_old_register_async(
      &object->parent, cancellable,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        auto* r = static_cast<Registration*>(data);
        nm_secret_agent_old_register_finish(NM_SECRET_AGENT_OLD(source), result, &r->error);
        r->done = true;
      },
      &registration);
  WaitOrCancel(registration.done, cancellable, timeout);
  g_object_unref(cancellable);
  if (registration.error != nullptr) {
    reason = registration.error->message;
    g_error_free(registration.error);
    g_object_unref(object);
    return nullptr;
  }
  std::unique_ptr<ConnectAgent> agent(new ConnectAgent(object));
  object->owner = agent.get();
  return agent;
}

ConnectAgent::ConnectAgent(AgentObject* object) : object_(object) {}

ConnectAgent::~ConnectAgent() {
  object_->owner = nullptr;
  nm_secret_agent_old_destroy(&object_->parent);
  g_object_unref(object_);
}

}  // namespace verolink::host
