// Writes the two alert sounds into the folder given as the only argument:
//   blip.wav  a short high blip for a new spot
//   ring.wav  a two-tone warble for a talk message
// 16-bit mono PCM at 22050 Hz, made from sine tones with soft edges so they do not click.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/atomic_file.h"

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

// Appends a tone of the given frequency and length with 5 ms fades at both ends.
void Tone(std::vector<int16_t>& out, double hz, double seconds, double volume) {
  int n = static_cast<int>(seconds * kRate);
  int fade = kRate / 200;
  for (int i = 0; i < n; ++i) {
    double edge = std::min(1.0, std::min(i, n - 1 - i) / double(fade));
    double v = std::sin(2 * kPi * hz * i / kRate) * volume * edge;
    out.push_back(static_cast<int16_t>(std::lround(v * 32767)));
  }
}

void Silence(std::vector<int16_t>& out, double seconds) {
  out.insert(out.end(), static_cast<size_t>(seconds * kRate), 0);
}

void Put16(std::string& s, uint16_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8);
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, static_cast<uint16_t>(v & 0xFFFF));
  Put16(s, static_cast<uint16_t>(v >> 16));
}

std::string Wav(const std::vector<int16_t>& samples) {
  uint32_t data = static_cast<uint32_t>(samples.size() * 2);
  std::string s = "RIFF";
  Put32(s, 36 + data);
  s += "WAVEfmt ";
  Put32(s, 16);
  Put16(s, 1);  // PCM
  Put16(s, 1);  // mono
  Put32(s, kRate);
  Put32(s, kRate * 2);
  Put16(s, 2);
  Put16(s, 16);
  s += "data";
  Put32(s, data);
  for (int16_t v : samples) Put16(s, static_cast<uint16_t>(v));
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  std::filesystem::path dir = argv[1];

  std::vector<int16_t> blip;
  Tone(blip, 1760, 0.06, 0.5);

  std::vector<int16_t> ring;
  for (int burst = 0; burst < 2; ++burst) {
    for (int i = 0; i < 6; ++i) {
      Tone(ring, 1000, 0.04, 0.45);
      Tone(ring, 1250, 0.04, 0.45);
    }
    Silence(ring, 0.12);
  }

  std::string error;
  if (!varnak::WriteFileAtomic(dir / "blip.wav", Wav(blip), &error) ||
      !varnak::WriteFileAtomic(dir / "ring.wav", Wav(ring), &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  return 0;
}
