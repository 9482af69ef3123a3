// Where the phonebook lives and which entry size it reports.

#include "host/phonebook/phonebook_location.h"

#include <gtest/gtest.h>

#include "host_test_support.h"

namespace verolink::host::testing {
namespace {

TEST(PhonebookLocation, ExplicitFileThenXdgConfigThenHome) {
  ScopedVariable home("HOME", "/home/user");
  {
    ScopedVariable book("VEROLINK_PHONEBOOK", "/srv/book.pbk");
    ScopedVariable config("XDG_CONFIG_HOME", "/cfg");
    EXPECT_EQ(DefaultPhonebookPath(), "/srv/book.pbk");
  }
  ScopedVariable book("VEROLINK_PHONEBOOK", "");
  {
    ScopedVariable config("XDG_CONFIG_HOME", "/cfg");
    EXPECT_EQ(DefaultPhonebookPath(), "/cfg/verolink/phonebook.pbk");
  }
  {
    ScopedVariable relative("XDG_CONFIG_HOME", "relative/cfg");
    EXPECT_EQ(DefaultPhonebookPath(), "/home/user/.config/verolink/phonebook.pbk");
  }
  ScopedVariable config("XDG_CONFIG_HOME", std::nullopt);
  EXPECT_EQ(DefaultPhonebookPath(), "/home/user/.config/verolink/phonebook.pbk");
}

TEST(PhonebookLocation, EntrySizeComesFromTheEnvironmentWhenItIsANumber) {
  {
    ScopedVariable unset("VEROLINK_RAS_ENTRY_SIZE", std::nullopt);
    EXPECT_EQ(EntrySizeFromEnvironment(), 2884u);
  }
  const std::pair<const char*, std::uint32_t> cases[] = {
      {"1672", 1672}, {"1796", 1796}, {"1700", 1700}, {"0", 0},      {"4294967295", 4294967295u},
      {"", 2884},     {"big", 2884},  {"-1", 2884},   {"17 ", 2884}, {"4294967296", 2884}};
  for (const auto& [value, size] : cases) {
    ScopedVariable variable("VEROLINK_RAS_ENTRY_SIZE", value);
    EXPECT_EQ(EntrySizeFromEnvironment(), size) << value;
  }
}

TEST(PhonebookLocation, FactoryUsesTheEnvironment) {
  TempFolder folder;
  ScopedVariable book("VEROLINK_PHONEBOOK", folder / "env.pbk");
  ScopedVariable size("VEROLINK_RAS_ENTRY_SIZE", "1768");
  HostPhonebook phonebook = HostPhonebook::FromEnvironment(Cp1251());
  EXPECT_EQ(phonebook.path(), folder / "env.pbk");
  std::uint32_t reported = 0;
  EXPECT_EQ(phonebook.QueryEntrySize(reported), kErrorBufferTooSmall);
  EXPECT_EQ(reported, 1768u);
}

}  // namespace
}  // namespace verolink::host::testing
