// Draws Varnak's icon: a globe with an antenna on top sending waves, on a dark blue
// rounded square. One drawing, written twice from the same numbers: as SVG text for
// the scalable icon and painted into the PNG sizes desktops ask for.
//   make_icon OUT_DIR APP_ID   writes OUT_DIR/hicolor/{scalable,48x48,128x128,256x256}/apps/
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr double kPi = 3.14159265358979323846;
// The drawing on a 256 x 256 canvas.
constexpr double kCorner = 48;
constexpr double kGlobeX = 128, kGlobeY = 162, kGlobeR = 72;
constexpr double kDotX = 128, kDotY = 72, kDotR = 10;
constexpr double kWaves[] = {20, 34, 48};
constexpr double kWaveFrom = 35, kWaveTo = 145;  // degrees, counter-clockwise from east
const char* kSkyTop = "#163a5f";
const char* kSkyBottom = "#2a6fa8";
const char* kSea = "#3b8fd0";
const char* kLines = "#ffffff";
const char* kSignal = "#ffb31a";

double X(double angleDeg, double r) { return kDotX + r * std::cos(angleDeg * kPi / 180); }
double Y(double angleDeg, double r) { return kDotY - r * std::sin(angleDeg * kPi / 180); }

std::string Svg() {
  char buf[4096];
  std::string s =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n";
  std::snprintf(buf, sizeof buf,
                "  <defs><linearGradient id=\"sky\" gradientUnits=\"userSpaceOnUse\" x1=\"0\" y1=\"8\" x2=\"0\" y2=\"248\">"
                "<stop offset=\"0\" stop-color=\"%s\"/><stop offset=\"1\" stop-color=\"%s\"/></linearGradient></defs>\n"
                "  <rect x=\"8\" y=\"8\" width=\"240\" height=\"240\" rx=\"%g\" fill=\"url(#sky)\"/>\n"
                "  <circle cx=\"%g\" cy=\"%g\" r=\"%g\" fill=\"%s\" stroke=\"%s\" stroke-width=\"6\"/>\n"
                "  <ellipse cx=\"%g\" cy=\"%g\" rx=\"%g\" ry=\"%g\" fill=\"none\" stroke=\"%s\" stroke-width=\"4\"/>\n"
                "  <line x1=\"%g\" y1=\"%g\" x2=\"%g\" y2=\"%g\" stroke=\"%s\" stroke-width=\"4\"/>\n"
                "  <line x1=\"%g\" y1=\"%g\" x2=\"%g\" y2=\"%g\" stroke=\"%s\" stroke-width=\"4\"/>\n"
                "  <line x1=\"%g\" y1=\"%g\" x2=\"%g\" y2=\"%g\" stroke=\"%s\" stroke-width=\"4\"/>\n"
                "  <line x1=\"%g\" y1=\"%g\" x2=\"%g\" y2=\"%g\" stroke=\"%s\" stroke-width=\"8\" stroke-linecap=\"round\"/>\n"
                "  <circle cx=\"%g\" cy=\"%g\" r=\"%g\" fill=\"%s\"/>\n",
                kSkyTop, kSkyBottom, kCorner, kGlobeX, kGlobeY, kGlobeR, kSea, kLines,  //
                kGlobeX, kGlobeY, kGlobeR * 0.42, kGlobeR, kLines,                      //
                kGlobeX - kGlobeR, kGlobeY, kGlobeX + kGlobeR, kGlobeY, kLines,         //
                kGlobeX - kGlobeR * 0.87, kGlobeY - kGlobeR * 0.5, kGlobeX + kGlobeR * 0.87, kGlobeY - kGlobeR * 0.5,
                kLines,  //
                kGlobeX - kGlobeR * 0.87, kGlobeY + kGlobeR * 0.5, kGlobeX + kGlobeR * 0.87, kGlobeY + kGlobeR * 0.5,
                kLines,                                                        //
                kDotX, kDotY, kGlobeX, kGlobeY - kGlobeR, kSignal,             //
                kDotX, kDotY, kDotR, kSignal);
  s += buf;
  for (double r : kWaves) {
    std::snprintf(buf, sizeof buf,
                  "  <path d=\"M %.2f %.2f A %g %g 0 0 1 %.2f %.2f\" fill=\"none\" stroke=\"%s\" stroke-width=\"9\" "
                  "stroke-linecap=\"round\"/>\n",
                  X(kWaveTo, r), Y(kWaveTo, r), r, r, X(kWaveFrom, r), Y(kWaveFrom, r), kSignal);
    s += buf;
  }
  return s + "</svg>\n";
}

QImage Png(int size) {
  QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 256.0, size / 256.0);
  QLinearGradient sky(0, 8, 0, 248);
  sky.setColorAt(0, QColor(kSkyTop));
  sky.setColorAt(1, QColor(kSkyBottom));
  p.setPen(Qt::NoPen);
  p.setBrush(sky);
  p.drawRoundedRect(QRectF(8, 8, 240, 240), kCorner, kCorner);
  auto pen = [](const char* colour, double width) {
    QPen pen{QColor(colour), width};
    pen.setCapStyle(Qt::RoundCap);
    return pen;
  };
  p.setPen(pen(kLines, 6));
  p.setBrush(QColor(kSea));
  p.drawEllipse(QPointF(kGlobeX, kGlobeY), kGlobeR, kGlobeR);
  p.setBrush(Qt::NoBrush);
  p.setPen(pen(kLines, 4));
  p.drawEllipse(QPointF(kGlobeX, kGlobeY), kGlobeR * 0.42, kGlobeR);
  QPen flat = pen(kLines, 4);
  flat.setCapStyle(Qt::FlatCap);
  p.setPen(flat);
  p.drawLine(QPointF(kGlobeX - kGlobeR, kGlobeY), QPointF(kGlobeX + kGlobeR, kGlobeY));
  for (double dy : {-0.5, 0.5})
    p.drawLine(QPointF(kGlobeX - kGlobeR * 0.87, kGlobeY + kGlobeR * dy),
               QPointF(kGlobeX + kGlobeR * 0.87, kGlobeY + kGlobeR * dy));
  p.setPen(pen(kSignal, 8));
  p.drawLine(QPointF(kDotX, kDotY), QPointF(kGlobeX, kGlobeY - kGlobeR));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(kSignal));
  p.drawEllipse(QPointF(kDotX, kDotY), kDotR, kDotR);
  p.setBrush(Qt::NoBrush);
  p.setPen(pen(kSignal, 9));
  for (double r : kWaves)
    p.drawArc(QRectF(kDotX - r, kDotY - r, 2 * r, 2 * r), static_cast<int>(kWaveFrom * 16),
              static_cast<int>((kWaveTo - kWaveFrom) * 16));
  return img;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_icon OUT_DIR APP_ID\n");
    return 2;
  }
  namespace fs = std::filesystem;
  const fs::path out = fs::path(argv[1]) / "hicolor";
  const std::string id = argv[2];
  std::error_code ec;
  fs::create_directories(out / "scalable" / "apps", ec);
  std::ofstream(out / "scalable" / "apps" / (id + ".svg"), std::ios::binary) << Svg();
  for (int size : {48, 128, 256}) {
    const std::string dim = std::to_string(size) + "x" + std::to_string(size);
    fs::create_directories(out / dim / "apps", ec);
    const fs::path file = out / dim / "apps" / (id + ".png");
    if (!Png(size).save(QString::fromStdString(file.string()), "PNG")) {
      std::fprintf(stderr, "make_icon: cannot write %s\n", file.c_str());
      return 1;
    }
  }
  return 0;
}
