#include "start/main.h"

#include "start/profile.h"

namespace verolink::basMain {

std::unique_ptr<ОсновнаяФорма> Main(Platform& platform, MainWindowShell& shell) {
  SetCurrentProfile(BuiltInProfile());
  auto form = std::make_unique<ОсновнаяФорма>(platform, CurrentProfile());
  form->Initialize();
  shell.Create(*form);
  form->Load();
  shell.Show(*form);
  return form;
}

}  // namespace verolink::basMain
