#include "host/desktop/host_shell.h"

#include <unistd.h>

#include <exception>

#include "host/desktop/connection_launchers.h"
#include "host/desktop/desktop_entries.h"
#include "host/system/host_process.h"
#include "host/system/user_folders.h"
#include "phonebook/entry_listing.h"

namespace verolink::host {

namespace {

constexpr std::string_view kShortcutEnding = ".lnk";

// A phonebook entry shown as an item of Network Connections.
class ConnectionItem : public ShellItem {
 public:
  explicit ConnectionItem(Text name) : name_(std::move(name)) {}
  Text Name() override { return name_; }

 private:
  Text name_;
};

// A walk over the names as they were when Items was asked.
class NameWalk : public ShellItems {
 public:
  explicit NameWalk(std::vector<Text> names) : names_(std::move(names)) {}
  std::unique_ptr<ShellItem> Next() override {
    if (next_ >= names_.size()) return nullptr;
    return std::make_unique<ConnectionItem>(names_[next_++]);
  }

 private:
  std::vector<Text> names_;
  std::size_t next_ = 0;
};

class ConnectionsFolder : public ShellFolder {
 public:
  explicit ConnectionsFolder(const HostShellOptions& options) : options_(options) {}
  std::unique_ptr<ShellItems> Items() override {
    return std::make_unique<NameWalk>(options_.listConnections ? options_.listConnections()
                                                               : std::vector<Text>());
  }
  void CopyHere(ShellItem&) override {
    throw AutomationError("nothing can be copied into Network Connections");
  }

 private:
  const HostShellOptions& options_;
};

class DesktopFolderObject : public ShellFolder {
 public:
  DesktopFolderObject(std::string path, const HostShellOptions& options)
      : path_(std::move(path)), options_(options) {}
  // The shortcut files are not listed; nothing walks the desktop.
  std::unique_ptr<ShellItems> Items() override {
    return std::make_unique<NameWalk>(std::vector<Text>());
  }
  void CopyHere(ShellItem& item) override {
    if (!dynamic_cast<ConnectionItem*>(&item)) {
      throw AutomationError("only a connection can be copied onto the desktop");
    }
    const Text name = item.Name();
    if (options_.connectionUuid) {
      const std::string uuid = options_.connectionUuid(name);
      if (uuid.empty()) throw AutomationError("no connection is named \"" + ToUtf8(name) + "\"");
      MakeConnectionLaunchers(path_, name, uuid);
      return;
    }
    WriteShortcutFile(path_, name, ShortcutFileText(name, options_.phonebookFile));
  }

 private:
  std::string path_;
  const HostShellOptions& options_;
};

class HostShellApplication : public ShellApplication {
 public:
  explicit HostShellApplication(const HostShellOptions& options) : options_(options) {}
  std::unique_ptr<ShellFolder> NameSpace(std::int16_t folder) override {
    if (folder == kCsidlConnections) return std::make_unique<ConnectionsFolder>(options_);
    if (folder == kCsidlDesktop) {
      std::string path = DesktopFolder();
      if (path.empty()) return nullptr;
      return std::make_unique<DesktopFolderObject>(std::move(path), options_);
    }
    return nullptr;
  }

 private:
  const HostShellOptions& options_;
};

class HostScriptHost : public ScriptHost {
 public:
  Text SpecialFolders(const Text& name) override {
    return name == u"Desktop" ? FromUtf8(DesktopFolder()) : Text();
  }
};

}  // namespace

std::vector<Text> ListedConnections(Platform& platform) {
  std::vector<Text> names;
  RasError failure = kRasSuccess;
  modRASVPN::EnumRasEntries(platform, names, failure);
  if (failure != kRasSuccess)
    throw AutomationError("the phonebook's entries cannot be listed: " + std::to_string(failure));
  return names;
}

std::unique_ptr<ShellApplication> HostAutomationObjects::CreateShellApplication() {
  return std::make_unique<HostShellApplication>(options_);
}

std::unique_ptr<ScriptHost> HostAutomationObjects::CreateScriptHost() {
  return std::make_unique<HostScriptHost>();
}

void HostFileDeletion::DeleteFile(const std::string& ansiPath) {
  // Whether the file was there, and whether it went, is not told.
  const std::string path = ToUtf8(codePage_.FromAnsi(ansiPath));
  ::unlink(path.c_str());
  if (!launchers_ || !path.ends_with(kShortcutEnding)) return;
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return;
  const std::string folder = path.substr(0, slash);
  const std::string desktop = DesktopFolder();
  if (desktop.empty() || folder != desktop) return;
  const std::string name = path.substr(slash + 1, path.size() - slash - 1 - kShortcutEnding.size());
  RemoveConnectionLaunchers(folder, FromUtf8(name));
}

void HostBrowser::ShellExecute(const std::string& verb, const std::string& file,
                               const std::string& /*parameters*/, const std::string& /*directory*/,
                               int /*showCommand*/) {
  if (verb != "open") return;
  const std::string address = ToUtf8(codePage_.FromAnsi(file));
  // An address starting with '-' would be taken for an option of xdg-open.
  if (address.empty() || address.front() == '-') return;
  try {
    // Not waited for: dropping it leaves the reaping to a background thread.
    HostStartedProcess opener(SpawnQuietly({"xdg-open", address}));
  } catch (const std::exception&) {
    // No xdg-open: the window stays as it was.
  }
}

}  // namespace verolink::host
