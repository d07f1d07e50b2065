#include <gtest/gtest.h>

#include "core/SpotRelay.h"
#include "platform/codepage.h"
#include "platform/ipc/ipc.h"

TEST(SpotRelayTest, TheFourTextsAndHowMuchOfEachTheReceiverReads) {
  const QList<QByteArray> m = SpotMessages(14'025'000, "JA1ABC", "100101", "CW");
  ASSERT_EQ(m.size(), 4);
  EXPECT_EQ(m[0], "ORBEXfreq14025.0");
  EXPECT_EQ(m[1], "ORBEXCallJA1ABC") << "15 bytes for a six-character call";
  EXPECT_EQ(m[2], QByteArray("ORBEXCode100101") + QByteArray(15, ' ')) << "the code's count is doubled: 30";
  EXPECT_EQ(m[3], "ORBEXModeCW");
  EXPECT_EQ(SpotMessages(0, "", "", "")[0], "ORBEXfreq0.0");
  EXPECT_EQ(SpotMessages(7'050'000, "", "", "")[0], "ORBEXfreq7050.0");
  EXPECT_EQ(SpotMessages(2'400'123'456, "", "", "")[0], "ORBEXfreq2400123.5") << "beyond 32 bits";

  // A long code text: the doubled count stops at the 256-byte buffer.
  const QByteArray longCode = SpotMessages(0, "", QString(200, u'X'), "")[2];
  EXPECT_EQ(longCode.size(), 256);
  // A name in Japanese is sent in Windows-31J.
  const QString name = QString::fromUtf8("札幌市");
  EXPECT_EQ(SpotMessages(0, "", name, "")[2], ToAnsi("ORBEXCode" + name) + QByteArray(9, ' ')) << "24 of the buffer";
}

TEST(SpotRelayTest, SentToTheListeningProgramAndSkippedWhenNoneListens) {
  EXPECT_FALSE(RelaySpot(7'050'000, "JA1ABC", "1001", "SSB"));
  QList<QByteArray> received;
  IpcReceiver spot(QString::fromUtf8(kSpotProgramTitle));
  ASSERT_TRUE(spot.Listening());
  spot.Received = [&](const QByteArray& m, const IpcAnswer& a) { received << m, a.Send(0); };
  EXPECT_TRUE(RelaySpot(7'050'000, "JA1ABC", "1001", "SSB"));
  EXPECT_EQ(received, SpotMessages(7'050'000, "JA1ABC", "1001", "SSB"));
}
