#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "pppoe/card_choice.h"
#include "pppoe/discovery_frames.h"
#include "pppoe/discovery_report.h"

namespace verolink::PPPoE {
namespace {

using ::testing::ElementsAre;
using ::testing::Field;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

const MacAddress kUs{0x02, 0, 0, 0, 0, 0x01};
const MacAddress kConcentrator{0x02, 0, 0, 0, 0, 0xAC};
const std::vector<std::uint8_t> kUniq{1, 2, 3, 4, 5, 6, 7, 8};

void Tag(std::vector<std::uint8_t>& frame, std::uint16_t type, std::string_view value) {
  frame.insert(frame.end(), {static_cast<std::uint8_t>(type >> 8), static_cast<std::uint8_t>(type),
                             0, static_cast<std::uint8_t>(value.size())});
  frame.insert(frame.end(), value.begin(), value.end());
}

// A PADO as a concentrator sends it: to us, with these tags, padded to
// Ethernet's shortest frame.
std::vector<std::uint8_t> Pado(std::string_view service, std::string_view acName,
                               std::string_view uniq) {
  std::vector<std::uint8_t> frame(kUs.begin(), kUs.end());
  frame.insert(frame.end(), kConcentrator.begin(), kConcentrator.end());
  frame.insert(frame.end(), {0x88, 0x63, 0x11, kCodePado, 0, 0, 0, 0});
  Tag(frame, kTagAcName, acName);
  Tag(frame, kTagServiceName, service);
  Tag(frame, kTagHostUniq, uniq);
  frame[19] = static_cast<std::uint8_t>(frame.size() - 20);
  frame.resize(std::max<std::size_t>(frame.size(), 60), 0);
  return frame;
}

const std::string_view kUniqText("\1\2\3\4\5\6\7\x08", 8);

TEST(DiscoveryFrames, PadiAsksForTheServiceAndOnlyOurOwnOfferIsTaken) {
  const std::vector<std::uint8_t> padi = BuildPadi(kUs, "pelkar", kUniq);
  const std::vector<std::uint8_t> expected{
      0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0,   0,   0,   0, 0x01, 0x88, 0x63,  // Ethernet
      0x11, 0x09, 0,    0,    0,    22,                                // PADI, 22 bytes
      0x01, 0x01, 0,    6,    'p',  'e',  'l',  'k', 'a', 'r',         // Service-Name
      0x01, 0x03, 0,    8,    1,    2,    3,    4,   5,   6,   7, 8};  // Host-Uniq
  EXPECT_EQ(padi, expected);

  const auto offer = ParsePado(Pado("pelkar", "verolink-ac", kUniqText), kUs, "pelkar", kUniq);
  ASSERT_TRUE(offer);
  EXPECT_EQ(offer->acName, "verolink-ac");
  EXPECT_EQ(FormatMac(offer->concentrator), "02:00:00:00:00:ac");
  EXPECT_TRUE(ParsePado(Pado("other", "ac", kUniqText), kUs, "", kUniq)) << "empty: any service";

  EXPECT_FALSE(ParsePado(Pado("other-isp", "ac", kUniqText), kUs, "pelkar", kUniq));
  EXPECT_FALSE(ParsePado(Pado("pelkar", "ac", "someone else"), kUs, "pelkar", kUniq));
  EXPECT_FALSE(ParsePado(Pado("pelkar", "ac", kUniqText), kConcentrator, "pelkar", kUniq));
  std::vector<std::uint8_t> broken = Pado("pelkar", "ac", kUniqText);
  broken[15] = kCodePadi;
  EXPECT_FALSE(ParsePado(broken, kUs, "pelkar", kUniq)) << "not a PADO";
  broken = Pado("pelkar", "ac", kUniqText);
  broken[6] = 0xFF;
  EXPECT_FALSE(ParsePado(broken, kUs, "pelkar", kUniq)) << "from a broadcast address";
  broken = Pado("pelkar", "ac", kUniqText);
  broken[19] = 200;
  EXPECT_FALSE(ParsePado(broken, kUs, "pelkar", kUniq)) << "a length past the frame";
  broken = Pado("pelkar", "ac", kUniqText);
  broken[23] = 40;
  EXPECT_FALSE(ParsePado(broken, kUs, "pelkar", kUniq)) << "a tag past the payload";
  for (std::size_t cut = 0; cut < 40; ++cut) {
    const std::vector<std::uint8_t> whole = Pado("pelkar", "ac", kUniqText);
    EXPECT_FALSE(ParsePado(std::span(whole).first(cut), kUs, "pelkar", kUniq)) << cut;
  }
}

// What the helper takes and prints, as the program reads it back.
TEST(DiscoveryReport, InputsAreCheckedAndTheReportReadsBack) {
  EXPECT_TRUE(IsValidCardName("eth0"));
  EXPECT_TRUE(IsValidCardName("enp0s31f6"));
  EXPECT_TRUE(IsValidCardName("br-lan.10"));
  for (const char* bad : {"", ".", "..", "eth0 ", "-e/x", "a/b", "abcdefghijklmnop", "eth0\n"})
    EXPECT_FALSE(IsValidCardName(bad)) << bad;
  EXPECT_TRUE(IsValidServiceName(""));
  EXPECT_TRUE(IsValidServiceName("pelkar"));
  EXPECT_FALSE(IsValidServiceName(std::string(65, 's')));
  EXPECT_FALSE(IsValidServiceName("pel\nkar"));
  EXPECT_FALSE(IsValidServiceName("пелкар"));

  const std::string printed =
      OfferLine({kConcentrator, "AC\n\x01rogue" + std::string(80, 'x')}) + std::string(kDoneLine);
  EXPECT_EQ(printed.find('\x01'), std::string::npos);
  const DiscoveryReport report = ParseDiscoveryReport(printed);
  EXPECT_TRUE(report.ran);
  ASSERT_THAT(report.acNames, ElementsAre(HasSubstr("AC??rogue")));
  EXPECT_EQ(report.acNames[0].size(), 64u);
  EXPECT_THAT(ParseDiscoveryReport(OfferLine({kConcentrator, ""}) + "done\n").acNames,
              ElementsAre(""));

  EXPECT_FALSE(ParseDiscoveryReport("").ran) << "a helper that printed nothing did not listen";
  EXPECT_FALSE(ParseDiscoveryReport("offer 02:00:00:00:00:ac ac\ndo").ran);
  EXPECT_THAT(ParseDiscoveryReport("offer garbage\nofferx\ndone\n").acNames, IsEmpty());
}

// Which card a connection dials through, by what discovery heard.
TEST(CardChoice, TakesTheCardThatAnsweredAndAsksWithNothingChosenOtherwise) {
  const EthernetCard lan{"eth0", true, "Intel Corporation", "82540EM Gigabit Ethernet Controller"};
  const EthernetCard modem{"eth1", true, "Realtek", "RTL8111/8168"};
  const EthernetCard spare{"eth2", false, "", ""};
  const DiscoveryReport silent{true, {}};
  const DiscoveryReport answered{true, {"verolink-ac"}};
  const DiscoveryReport unable{};

  EXPECT_EQ(CardLabel(lan), "Intel Corporation 82540EM Gigabit Ethernet Controller (eth0)");
  EXPECT_EQ(CardLabel(spare), "eth2");
  EXPECT_THAT(CardsToProbe({lan}), IsEmpty()) << "one card: nothing changes";
  EXPECT_THAT(CardsToProbe({lan, modem, spare}), ElementsAre("eth0", "eth1"));

  const CardChoice one = ChooseCard({lan}, {});
  EXPECT_TRUE(one.card.empty());
  EXPECT_THAT(one.toAsk, IsEmpty());

  const CardChoice found = ChooseCard({lan, modem, spare}, {{"eth0", silent}, {"eth1", answered}});
  EXPECT_EQ(found.card, "eth1");
  EXPECT_THAT(found.toAsk, IsEmpty());
  EXPECT_EQ(found.note,
            "Кабель провайдера подключён к сетевой карте «Realtek RTL8111/8168 (eth1)».");

  const CardChoice several =
      ChooseCard({lan, modem, spare}, {{"eth0", answered}, {"eth1", answered}});
  EXPECT_TRUE(several.card.empty());
  EXPECT_THAT(several.note, HasSubstr("ответило на нескольких сетевых картах"));
  EXPECT_THAT(several.toAsk,
              ElementsAre(Field(&CardOption::label, CardLabel(lan) + " — verolink-ac"),
                          Field(&CardOption::label, CardLabel(modem) + " — verolink-ac")));

  const CardChoice none = ChooseCard({lan, modem, spare}, {{"eth0", silent}, {"eth1", silent}});
  EXPECT_TRUE(none.card.empty());
  EXPECT_THAT(none.note, HasSubstr("не ответило ни на одной сетевой карте"));
  EXPECT_THAT(none.note, HasSubstr("модем"));
  EXPECT_THAT(none.toAsk,
              ElementsAre(Field(&CardOption::card, "eth0"), Field(&CardOption::card, "eth1"),
                          Field(&CardOption::label, "eth2, кабель не подключён")));

  // Discovery could not run (the helper lacks its capability): the links decide.
  const CardChoice oneLink = ChooseCard({lan, spare}, {{"eth0", unable}});
  EXPECT_EQ(oneLink.card, "eth0");
  EXPECT_TRUE(oneLink.note.empty());
  const CardChoice unknown = ChooseCard({lan, modem, spare}, {{"eth0", unable}, {"eth1", unable}});
  EXPECT_TRUE(unknown.card.empty());
  EXPECT_EQ(unknown.note,
            "Сетевых карт несколько. Выберите ту, к которой подключён кабель провайдера:");
  EXPECT_THAT(unknown.toAsk, ElementsAre(Field(&CardOption::label, CardLabel(lan)),
                                         Field(&CardOption::label, CardLabel(modem))));
  EXPECT_THAT(ChooseCard({spare, spare}, {}).toAsk, testing::SizeIs(2)) << "no link anywhere";
}

}  // namespace
}  // namespace verolink::PPPoE
