#include "map/map_model.h"

#include <algorithm>
#include <chrono>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fmt/format.h>
#include <stdexcept>

#include "core/ini_file.h"

namespace varnak {

BgrColour BandColour(const std::string& band) {
  static const std::pair<const char*, BgrColour> kColours[] = {
      {"160", 0x000080}, {"80", 0x008000}, {"40", 0x008080}, {"30", 0x800000}, {"20", 0x0000FF},
      {"17", 0x808000},  {"15", 0x800080}, {"12", 0x00FF00}, {"10", 0x00FFFF}};
  for (const auto& [name, colour] : kColours)
    if (band == name) return colour;
  return 0x808080;
}

std::string SpotLabelText(const std::string& call, const std::string& frequencyText) {
  return " " + call + " [" + frequencyText + "]";
}

double FadeOf(std::int64_t addedUtc, std::int64_t nowUtc) {
  const double age = static_cast<double>(std::max<std::int64_t>(0, nowUtc - addedUtc));
  return std::max(kFadeFloor, 1.0 - (1.0 - kFadeFloor) * age / kFadeSeconds);
}

namespace {

double ReadDouble(const IniFile& ini, const char* key, double def) {
  std::string text = ini.ReadString("Map", key, "");
  if (text.empty()) return def;
  char* end = nullptr;
  double v = std::strtod(text.c_str(), &end);
  return (end && *end == '\0' && std::isfinite(v)) ? v : def;
}

}  // namespace

MapSettings ReadMapSettings(const std::filesystem::path& file) {
  MapSettings s;
  IniFile ini;
  if (!ini.Load(file)) return s;
  s.projection = ini.ReadInteger("Map", "Projection", 0) == 1 ? Projection::Azimuthal : Projection::Equirectangular;
  s.centre.lat = std::clamp(ReadDouble(ini, "CentreLat", 0), -90.0, 90.0);
  s.centre.lon = std::clamp(ReadDouble(ini, "CentreLon", 0), -180.0, 180.0);
  s.zoom = std::clamp(ReadDouble(ini, "Zoom", 1), 1.0, kMaxZoom);
  const int width = ini.ReadInteger("Window", "Width", 0), height = ini.ReadInteger("Window", "Height", 0);
  if (width > 0 && height > 0)
    s.bounds = std::array<int, 4>{ini.ReadInteger("Window", "Left", 0), ini.ReadInteger("Window", "Top", 0), width, height};
  return s;
}

bool WriteMapSettings(const std::filesystem::path& file, const MapSettings& s, std::string* error) {
  IniFile ini;
  ini.Load(file);  // keep what others wrote beside our keys
  ini.WriteInteger("Map", "Projection", static_cast<int>(s.projection));
  ini.WriteString("Map", "CentreLat", fmt::format("{:.4f}", s.centre.lat));
  ini.WriteString("Map", "CentreLon", fmt::format("{:.4f}", s.centre.lon));
  ini.WriteString("Map", "Zoom", fmt::format("{:.4f}", s.zoom));
  if (s.bounds) {
    ini.WriteInteger("Window", "Left", (*s.bounds)[0]);
    ini.WriteInteger("Window", "Top", (*s.bounds)[1]);
    ini.WriteInteger("Window", "Width", (*s.bounds)[2]);
    ini.WriteInteger("Window", "Height", (*s.bounds)[3]);
  }
  return ini.Save(file, error);
}

std::int64_t DxMap::Now() const {
  if (nowUtc) return nowUtc();
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

void DxMap::Changed() {
  if (updating_ > 0) {
    dirty_ = true;
    return;
  }
  dirty_ = false;
  if (onChanged) onChanged();
}

void DxMap::EndUpdate() {
  if (updating_ > 0) --updating_;
  if (updating_ == 0 && dirty_) Changed();
}

void DxMap::SetHome(const GeoPoint& p) {
  home_ = p;
  Changed();
}

void DxMap::SetTarget(const GeoPoint& p) {
  target_ = p;
  Changed();
}

void DxMap::PositionOn(const GeoPoint& p) {
  target_ = p;
  pathShown_ = true;
  // With the whole world in view, re-centring on every spot would only make the map jump.
  if (view_.zoom > 1.0) view_.centre = p;
  Changed();
}

void DxMap::HidePath() {
  pathShown_ = false;
  Changed();
}

void DxMap::AddPoint(int layer, MapPoint point) {
  auto& points = Layer(layer).points;
  if (point.addedUtc == 0) point.addedUtc = Now();
  points.push_back(point);
  while (points.size() > kMapItemLimit) points.pop_front();
  Changed();
}

void DxMap::AddLabel(int layer, MapLabel label) {
  auto& labels = Layer(layer).labels;
  if (label.addedUtc == 0) label.addedUtc = Now();
  labels.push_back(std::move(label));
  while (labels.size() > kMapItemLimit) labels.pop_front();
  Changed();
}

void DxMap::SetProjection(Projection p) {
  view_.projection = p;
  Changed();
}

void DxMap::LoadSettings(const std::string& file) {
  view_ = ReadMapSettings(file);
  if (view_.bounds && applyBounds) applyBounds(*view_.bounds);
  Changed();
}

void DxMap::SaveSettings(const std::string& file) {
  if (currentBounds) {
    if (auto b = currentBounds()) view_.bounds = b;
  }
  std::string error;
  if (!WriteMapSettings(file, view_, &error)) throw std::runtime_error(error);
}

SolarIndices ParseWwvLine(const std::string& line) {
  SolarIndices out;
  auto valueAfter = [&](const std::string& key) -> std::optional<int> {
    // The key must start a word: "SFI=" must not be read as "I=".
    for (size_t at = line.find(key); at != std::string::npos; at = line.find(key, at + 1)) {
      if (at > 0 && std::isalpha(static_cast<unsigned char>(line[at - 1]))) continue;
      size_t p = at + key.size();
      size_t q = p;
      while (q < line.size() && std::isdigit(static_cast<unsigned char>(line[q]))) ++q;
      if (q == p || q - p > 6) return std::nullopt;
      return std::atoi(line.substr(p, q - p).c_str());
    }
    return std::nullopt;
  };
  out.flux = valueAfter("SFI=");
  out.a = valueAfter("A=");
  out.k = valueAfter("K=");
  return out;
}

}  // namespace varnak
