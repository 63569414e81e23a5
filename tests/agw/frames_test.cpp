#include "agw/frames.h"

#include <gtest/gtest.h>

#include "agw/agw_test_util.h"

namespace varnak {
namespace {

std::string CallBytes(const std::array<char, 10>& f) { return std::string(f.data(), f.size()); }

TEST(AgwFrames, PortsCountFromOneTowardsTheProgramAndFromZeroOnTheWire) {
  EXPECT_EQ(WirePort(3), 2u);
  EXPECT_EQ(WirePort(1), 0u);
  EXPECT_EQ(WirePort(0), 0u);
  EXPECT_EQ(WirePort(-1), 0u);
  EXPECT_EQ(EventPort(0), 1);
}

TEST(AgwFrames, CallFieldsAreTrimmedNulTerminatedAndCutToTenBytes) {
  std::array<char, 10> f;
  WriteCallField(f, " N0CALL-15 ");
  EXPECT_EQ(CallBytes(f), std::string("N0CALL-15\0", 10));
  WriteCallField(f, "ABCDEFGHIJK");
  EXPECT_EQ(CallBytes(f), "ABCDEFGHIJ");
  EXPECT_EQ(ReadCallField(f), "ABCDEFGHIJ");
  WriteCallField(f, "");
  EXPECT_EQ(CallBytes(f), std::string(10, '\0'));
  EXPECT_EQ(ReadCallField(f), "");
}

TEST(AgwFrames, HeaderIsLittleEndianAtFixedOffsets) {
  TAGWFrameHeader h;
  h.Port = 2;
  h.DataKind = 'D';
  h.PID = 0xF0;
  WriteCallField(h.FromCall, "N0AAA");
  WriteCallField(h.ToCall, "N0BBB");
  h.DataSize = 0x01020304;
  auto bytes = EncodeHeader(h);
  EXPECT_EQ(bytes[0], 2);
  EXPECT_EQ(bytes[4], 'D');
  EXPECT_EQ(static_cast<unsigned char>(bytes[6]), 0xF0);
  EXPECT_EQ(std::string(&bytes[8], 5), "N0AAA");
  EXPECT_EQ(std::string(&bytes[18], 5), "N0BBB");
  EXPECT_EQ(bytes[28], 4);
  EXPECT_EQ(bytes[31], 1);
  TAGWFrameHeader back = DecodeHeader(bytes.data());
  EXPECT_EQ(back.DataSize, 0x01020304u);
  EXPECT_EQ(back.PID, 0xF0);
  EXPECT_EQ(ReadCallField(back.ToCall), "N0BBB");
}

TEST(AgwFrames, ConnectedDataOver255BytesIsCutAndFollowedByOneYPerPiece) {
  auto frames = BuildRequestFrames(3, 0, 'D', "N0AAA", "N0BBB", std::string(600, 'x'));
  ASSERT_EQ(frames.size(), 6u);
  const std::size_t sizes[] = {255, 255, 90, 0, 0, 0};
  const char kinds[] = {'D', 'D', 'D', 'Y', 'Y', 'Y'};
  for (std::size_t i = 0; i < frames.size(); ++i) {
    TAGWFrameHeader h = DecodeHeader(frames[i].Header.data());
    EXPECT_EQ(h.DataKind, kinds[i]) << i;
    EXPECT_EQ(h.DataSize, sizes[i]) << i;
    EXPECT_EQ(frames[i].Data.size(), sizes[i]) << i;
    EXPECT_EQ(h.Port, 2u);
    EXPECT_EQ(ReadCallField(h.FromCall), "N0AAA");
    EXPECT_EQ(ReadCallField(h.ToCall), "N0BBB");
  }
}

TEST(AgwFrames, EmptyConnectedDataIsOneEmptyFrameAndOneY) {
  auto frames = BuildRequestFrames(1, 0, 'D', "A", "B", "");
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(DecodeHeader(frames[0].Header.data()).DataSize, 0u);
  EXPECT_EQ(DecodeHeader(frames[1].Header.data()).DataKind, 'Y');
  // Unproto data is cut the same way but asks for no counts.
  EXPECT_EQ(BuildRequestFrames(1, 0, 'M', "A", "B", std::string(256, 'u')).size(), 2u);
}

TEST(AgwFrames, PortListIsReadByItsCount) {
  auto ports = ParsePortList("2; Port1 first ;Port2 second;");
  ASSERT_EQ(ports.size(), 2u);
  EXPECT_EQ(ports[0], "Port1 first");
  EXPECT_EQ(ports[1], "Port2 second");
  // Direwolf says 1 and lists more: the count wins.
  EXPECT_EQ(ParsePortList("1;Port1 first soundcard mono;Port2 INVALID CHANNEL;").size(), 1u);
  EXPECT_EQ(ParsePortList("3;only one").size(), 3u);
  EXPECT_TRUE(ParsePortList("0;Port1").empty());
  EXPECT_TRUE(ParsePortList("x;Port1").empty());
  EXPECT_TRUE(ParsePortList("").empty());
}

TEST(AgwFrames, ShortRepliesReadMissingBytesAsZero) {
  EXPECT_EQ(ReadVersionData(std::string("\x05\x00", 2)).Major, 5);
  EXPECT_EQ(ReadVersionData("").Minor, 0);
  EXPECT_EQ(ReadInt32(std::string("\x07\x01\x00\x00", 4)), 263);
  auto caps = ReadPortCapabilities(std::string("\x01\x02\x03\x04\x05\x06\x07\x08\xff\xff\xff\xff", 12));
  EXPECT_EQ(caps.BaudRate, 1);
  EXPECT_EQ(caps.ActiveConnections, 8);
  EXPECT_EQ(caps.BytesReceived, -1);
}

TEST(AgwFrames, ExtractionKeepsIncompleteFramesAndStopsAtAnOversizedHeader) {
  std::string stream = test::Frame('D', 0, "A", "B", "hello") + test::Frame('R', 0, "", "", "");
  std::deque<TPacket> out;
  std::string buffer = stream.substr(0, 10);
  EXPECT_EQ(ExtractFrames(buffer, out), TExtractResult::Ok);
  EXPECT_TRUE(out.empty());
  buffer += stream.substr(10, 30);  // a whole header, data still missing
  ExtractFrames(buffer, out);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(buffer.size(), 40u);
  buffer += stream.substr(40);
  ExtractFrames(buffer, out);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].Data, "hello");
  EXPECT_EQ(out[1].Header.DataKind, 'R');
  EXPECT_TRUE(buffer.empty());

  std::string huge = test::Frame('D', 0, "A", "B", "");
  huge[28 + 2] = 0x02;  // DataSize 128 KiB
  buffer = test::Frame('U', 0, "A", "B", "x") + huge;
  out.clear();
  EXPECT_EQ(ExtractFrames(buffer, out), TExtractResult::Oversize);
  EXPECT_EQ(out.size(), 1u);
}

}  // namespace
}  // namespace varnak
