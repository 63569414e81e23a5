#pragma once
// Frames of the AGW Packet Engine TCP interface: a 36-byte little-endian header
// followed by exactly DataSize data bytes, back to back on the stream.
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace varnak {

inline constexpr std::size_t kAGWHeaderSize = 36;
// Pieces of "D" and "M" data are cut to this size; engines refuse longer frames.
inline constexpr std::size_t kAGWMaxPiece = 255;
// No engine sends more than a few KiB in one frame; a larger DataSize means the
// stream is garbage or out of step, and waiting for it would hang the link.
inline constexpr std::uint32_t kAGWMaxFrameData = 64 * 1024;

struct TAGWFrameHeader {
  std::uint32_t Port = 0;  // 0 is the engine's first port
  char DataKind = 0;
  std::uint8_t Reserved1 = 0;
  std::uint8_t PID = 0;
  std::uint8_t Reserved2 = 0;
  std::array<char, 10> FromCall{};
  std::array<char, 10> ToCall{};
  std::uint32_t DataSize = 0;
  std::uint32_t User = 0;
};

struct TPacket {
  TAGWFrameHeader Header;
  std::string Data;  // exactly Header.DataSize bytes
};

struct TAGWVersionData {
  std::int32_t Major = 0;
  std::int32_t Minor = 0;
};

struct TPortCapabilities {
  std::uint8_t BaudRate = 0;
  std::uint8_t TrafficLevel = 0;
  std::uint8_t TxDelay = 0;
  std::uint8_t TxTail = 0;
  std::uint8_t Persist = 0;
  std::uint8_t SlotTime = 0;
  std::uint8_t MaxFrame = 0;
  std::uint8_t ActiveConnections = 0;
  std::int32_t BytesReceived = 0;
};

// Ports are numbered from 1 towards the program and from 0 on the wire.
std::uint32_t WirePort(int port);
int EventPort(std::uint32_t wirePort);

// Writes trimmed text, NUL-terminated when it is shorter than the field, cut to 10 bytes.
void WriteCallField(std::array<char, 10>& field, std::string_view text);
// The bytes before the first NUL, at most 10.
std::string ReadCallField(const std::array<char, 10>& field);

std::array<char, kAGWHeaderSize> EncodeHeader(const TAGWFrameHeader& header);
TAGWFrameHeader DecodeHeader(const char* bytes);  // reads exactly kAGWHeaderSize bytes

// Missing bytes read as zero.
TAGWVersionData ReadVersionData(std::string_view data);
// Expects exactly 12 bytes; shorter data reads the missing bytes as zero.
TPortCapabilities ReadPortCapabilities(std::string_view data);
// The 4-byte little-endian count of "Y" and "y" replies (missing bytes as zero).
std::int32_t ReadInt32(std::string_view data);

// "G" reply, e.g. "2;Port1 first soundcard mono;Port2 second;": a count, then that
// many descriptions; missing ones are empty, a count that is no number gives none.
std::vector<std::string> ParsePortList(std::string_view text);

// One frame as it goes on the wire: the header bytes and the data piece after it.
struct TOutFrame {
  std::array<char, kAGWHeaderSize> Header;
  std::string Data;
};

// The frames one request becomes: data over 255 bytes is cut into pieces of the
// same kind, and a "D" request ends with one "Y" per "D" piece so that the
// caller learns how much of it is still outstanding.
std::vector<TOutFrame> BuildRequestFrames(int port, int pid, char kind, std::string_view fromCall,
                                          std::string_view toCall, std::string_view data);

enum class TExtractResult { Ok, Oversize };

// Cuts every complete frame off the front of buffer into out, in stream order; an
// incomplete frame stays in the buffer for the next read. Stops with Oversize at a
// header announcing more than kAGWMaxFrameData bytes, leaving that header in front.
TExtractResult ExtractFrames(std::string& buffer, std::deque<TPacket>& out);

}  // namespace varnak
