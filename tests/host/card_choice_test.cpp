#include "host/phonebook/card_choice.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace verolink::host {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The card a connection dials through: named only when there is a choice,
// taken when one card alone has a link, else asked, never guessed.
TEST(CardChoice, NamesACardOnlyWhenTheLinksTellWhichAndAsksOtherwise) {
  const CardChoice none = ChooseCard({});
  EXPECT_TRUE(none.card.empty());
  EXPECT_THAT(none.toAsk, IsEmpty());

  const CardChoice one = ChooseCard({{"eth0", false}});
  EXPECT_TRUE(one.card.empty()) << "one card: NetworkManager takes it";
  EXPECT_THAT(one.toAsk, IsEmpty());

  const CardChoice second = ChooseCard({{"eth0", false}, {"eth1", true}});
  EXPECT_EQ(second.card, "eth1");
  EXPECT_THAT(second.toAsk, IsEmpty());

  const CardChoice linked = ChooseCard({{"eth0", true}, {"eth1", false}, {"eth2", true}});
  EXPECT_TRUE(linked.card.empty());
  EXPECT_THAT(linked.toAsk, ElementsAre("eth0", "eth2"));

  const CardChoice unplugged = ChooseCard({{"eth0", false}, {"eth1", false}});
  EXPECT_TRUE(unplugged.card.empty());
  EXPECT_THAT(unplugged.toAsk, ElementsAre("eth0", "eth1"));
}

}  // namespace
}  // namespace verolink::host
