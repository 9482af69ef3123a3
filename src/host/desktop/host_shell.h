// Host desktop: the shell and script-host objects over the XDG desktop folder,
// the shortcut files, launchers and menu entries they write, and the browser.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/code_page.h"
#include "desktop/automation.h"
#include "start/platform.h"
#include "window/ui_services.h"

namespace verolink::host {

struct HostShellOptions {
  // The names of the phonebook's entries: the items of Network Connections.
  // Raises AutomationError when the phonebook cannot list them
  // (ListedConnections).
  std::function<std::vector<Text>()> listConnections;
  // The phonebook file (UTF-8 path) that the shortcuts name and open.
  std::string phonebookFile;
  // Set when the entries are NetworkManager connections: the UUID of the
  // connection of that name, empty when there is none. A copy onto the
  // desktop then writes the connection's launchers (connection_launchers.h)
  // in place of the shortcut file.
  std::function<std::string(const Text&)> connectionUuid;
};

// The names of the platform's phonebook entries; raises AutomationError when
// the listing fails, so that the shortcut step says it made no shortcut.
std::vector<Text> ListedConnections(Platform& platform);

// Stand-ins for Shell.Application and WScript.Shell. Network Connections
// (NameSpace(49)) lists the phonebook's entries; the desktop (NameSpace(0)) is
// the user's desktop folder, where copying a connection writes its shortcut
// file `<name>.lnk`. SpecialFolders knows "Desktop" only.
class HostAutomationObjects : public AutomationObjects {
 public:
  explicit HostAutomationObjects(HostShellOptions options) : options_(std::move(options)) {}
  std::unique_ptr<ShellApplication> CreateShellApplication() override;
  std::unique_ptr<ScriptHost> CreateScriptHost() override;

 private:
  HostShellOptions options_;
};

// unlink(2) of the single-byte path, turned back into the file system's UTF-8
// through the code page it was converted with. With `launchers`, deleting
// the shortcut `<name>.lnk` of the desktop folder itself also removes the
// launchers that CopyHere wrote for that name (RemoveConnectionLaunchers:
// only this program's own); nothing else is touched for it.
class HostFileDeletion : public FileDeletion {
 public:
  explicit HostFileDeletion(const CodePage& codePage, bool launchers = false)
      : codePage_(codePage), launchers_(launchers) {}
  void DeleteFile(const std::string& ansiPath) override;
  char16_t PathSeparator() const override { return u'/'; }

 private:
  const CodePage& codePage_;
  bool launchers_;
};

// Opens an address with the desktop's handler: `xdg-open <address>`, detached,
// output on /dev/null. Failures are ignored; only the verb "open" does
// anything. The show command has no meaning here.
class HostBrowser : public Browser {
 public:
  explicit HostBrowser(const CodePage& codePage) : codePage_(codePage) {}
  void ShellExecute(const std::string& verb, const std::string& file, const std::string& parameters,
                    const std::string& directory, int showCommand) override;

 private:
  const CodePage& codePage_;
};

}  // namespace verolink::host
