#include "agw/frames.h"

#include <algorithm>
#include <cstring>

#include "core/text.h"

namespace varnak {

namespace {

void PutU32(char* p, std::uint32_t v) {
  p[0] = static_cast<char>(v & 0xFF);
  p[1] = static_cast<char>((v >> 8) & 0xFF);
  p[2] = static_cast<char>((v >> 16) & 0xFF);
  p[3] = static_cast<char>((v >> 24) & 0xFF);
}

std::uint32_t GetU32(const char* p) {
  auto b = [p](int i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(p[i])); };
  return b(0) | (b(1) << 8) | (b(2) << 16) | (b(3) << 24);
}

// Copies data into a fixed-size buffer, zero-filling what the data lacks.
template <std::size_t N>
std::array<char, N> Padded(std::string_view data) {
  std::array<char, N> out{};
  std::memcpy(out.data(), data.data(), std::min(N, data.size()));
  return out;
}

// One ";"-separated token, trimmed; rest becomes the trimmed remainder.
std::string NextToken(std::string& rest) {
  auto pos = rest.find(';');
  std::string token;
  if (pos == std::string::npos) {
    token = Trim(rest);
    rest.clear();
  } else {
    token = Trim(std::string_view(rest).substr(0, pos));
    rest = Trim(std::string_view(rest).substr(pos + 1));
  }
  return token;
}

}  // namespace

std::uint32_t WirePort(int port) { return port > 0 ? static_cast<std::uint32_t>(port - 1) : 0; }

int EventPort(std::uint32_t wirePort) { return static_cast<int>(wirePort + 1u); }

void WriteCallField(std::array<char, 10>& field, std::string_view text) {
  field.fill(0);
  std::string call = Trim(text);
  std::memcpy(field.data(), call.data(), std::min(field.size(), call.size()));
}

std::string ReadCallField(const std::array<char, 10>& field) {
  const char* end = static_cast<const char*>(std::memchr(field.data(), 0, field.size()));
  return std::string(field.data(), end ? static_cast<std::size_t>(end - field.data()) : field.size());
}

std::array<char, kAGWHeaderSize> EncodeHeader(const TAGWFrameHeader& h) {
  std::array<char, kAGWHeaderSize> out{};
  PutU32(&out[0], h.Port);
  out[4] = h.DataKind;
  out[5] = static_cast<char>(h.Reserved1);
  out[6] = static_cast<char>(h.PID);
  out[7] = static_cast<char>(h.Reserved2);
  std::memcpy(&out[8], h.FromCall.data(), 10);
  std::memcpy(&out[18], h.ToCall.data(), 10);
  PutU32(&out[28], h.DataSize);
  PutU32(&out[32], h.User);
  return out;
}

TAGWFrameHeader DecodeHeader(const char* p) {
  TAGWFrameHeader h;
  h.Port = GetU32(p);
  h.DataKind = p[4];
  h.Reserved1 = static_cast<std::uint8_t>(p[5]);
  h.PID = static_cast<std::uint8_t>(p[6]);
  h.Reserved2 = static_cast<std::uint8_t>(p[7]);
  std::memcpy(h.FromCall.data(), p + 8, 10);
  std::memcpy(h.ToCall.data(), p + 18, 10);
  h.DataSize = GetU32(p + 28);
  h.User = GetU32(p + 32);
  return h;
}

TAGWVersionData ReadVersionData(std::string_view data) {
  auto b = Padded<8>(data);
  return {static_cast<std::int32_t>(GetU32(&b[0])), static_cast<std::int32_t>(GetU32(&b[4]))};
}

TPortCapabilities ReadPortCapabilities(std::string_view data) {
  auto b = Padded<12>(data);
  TPortCapabilities c;
  c.BaudRate = static_cast<std::uint8_t>(b[0]);
  c.TrafficLevel = static_cast<std::uint8_t>(b[1]);
  c.TxDelay = static_cast<std::uint8_t>(b[2]);
  c.TxTail = static_cast<std::uint8_t>(b[3]);
  c.Persist = static_cast<std::uint8_t>(b[4]);
  c.SlotTime = static_cast<std::uint8_t>(b[5]);
  c.MaxFrame = static_cast<std::uint8_t>(b[6]);
  c.ActiveConnections = static_cast<std::uint8_t>(b[7]);
  c.BytesReceived = static_cast<std::int32_t>(GetU32(&b[8]));
  return c;
}

std::int32_t ReadInt32(std::string_view data) {
  auto b = Padded<4>(data);
  return static_cast<std::int32_t>(GetU32(b.data()));
}

std::vector<std::string> ParsePortList(std::string_view text) {
  std::string rest = Trim(text);
  int count = 0;
  if (!ParseInt(NextToken(rest), count) || count <= 0) return {};
  std::vector<std::string> ports;
  // The count comes from the engine; never let it size a huge allocation up front.
  for (int i = 0; i < count; ++i) {
    if (rest.empty() && ports.size() >= 256) break;
    ports.push_back(NextToken(rest));
  }
  return ports;
}

std::vector<TOutFrame> BuildRequestFrames(int port, int pid, char kind, std::string_view fromCall,
                                          std::string_view toCall, std::string_view data) {
  TAGWFrameHeader h;
  h.Port = WirePort(port);
  h.DataKind = kind;
  h.PID = static_cast<std::uint8_t>(pid);
  WriteCallField(h.FromCall, fromCall);
  WriteCallField(h.ToCall, toCall);

  std::vector<TOutFrame> frames;
  std::size_t pos = 0;
  do {
    std::string_view piece = data.substr(pos, kAGWMaxPiece);
    h.DataSize = static_cast<std::uint32_t>(piece.size());
    frames.push_back({EncodeHeader(h), std::string(piece)});
    pos += piece.size();
  } while (pos < data.size());

  if (kind == 'D') {
    TAGWFrameHeader y = h;
    y.DataKind = 'Y';
    y.PID = 0;
    y.DataSize = 0;
    auto yHeader = EncodeHeader(y);
    const std::size_t pieces = frames.size();
    for (std::size_t i = 0; i < pieces; ++i) frames.push_back({yHeader, {}});
  }
  return frames;
}

TExtractResult ExtractFrames(std::string& buffer, std::deque<TPacket>& out) {
  std::size_t pos = 0;
  TExtractResult result = TExtractResult::Ok;
  while (buffer.size() - pos >= kAGWHeaderSize) {
    TAGWFrameHeader h = DecodeHeader(buffer.data() + pos);
    if (h.DataSize > kAGWMaxFrameData) {
      result = TExtractResult::Oversize;
      break;
    }
    if (buffer.size() - pos - kAGWHeaderSize < h.DataSize) break;
    pos += kAGWHeaderSize;
    out.push_back({h, buffer.substr(pos, h.DataSize)});
    pos += h.DataSize;
  }
  // One erase per read keeps a burst of small frames linear in its length.
  buffer.erase(0, pos);
  return result;
}

}  // namespace varnak
