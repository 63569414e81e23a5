#include "app/alert_controller.h"

#include "app/desktop_notifier.h"
#include "app/spot_filter_controller.h"
#include "app/station.h"
#include "app/win1252.h"

namespace varnak {

namespace {
constexpr std::size_t kSpotsKept = 64;  // of notifications a click may still raise
constexpr std::size_t kFiredKept = 4096;

std::int64_t SecondOf(const DateTime& t) { return MinuteOf(t) * 60 + t.second; }
}  // namespace

AlertController::AlertController(Station& station)
    : QObject(&station), station_(station), continents_(station.parser()) {
  connect(&station, &Station::configurationRead, this, &AlertController::Reload);
  connect(&station, &Station::spotFiled, this, [this](const Spot& spot) { SpotFiled(spot); });
}

AlertController::~AlertController() = default;

void AlertController::Reload() {
  std::vector<std::string> problems;
  rules_ = ReadAlertRulesFile(station_.ProgramPath(kAlertRulesFile), &problems);
  for (const std::string& p : problems) station_.pane().AddPaneLine(pane_colour::kRed, "*** " + p);
  colours_.clear();
  for (const AlertRule& r : rules_) colours_.push_back(r.colour.empty() ? QColor() : QColor(QString::fromStdString(r.colour)));
  lastFired_.clear();
  continents_.Clear();
}

bool AlertController::SaveRules(std::vector<AlertRule> rules, std::string* error) {
  if (!WriteAlertRulesFile(station_.ProgramPath(kAlertRulesFile), rules, error)) return false;
  Reload();
  return true;
}

QColor AlertController::RowColour(const Spot& spot) {
  for (std::size_t i = 0; i < rules_.size(); ++i) {
    if (!rules_[i].on || !colours_[i].isValid()) continue;
    if (RuleMatches(rules_[i], spot, [this](std::string_view s) { return continents_.Of(s); })) return colours_[i];
  }
  return {};
}

bool AlertController::MayFire(std::size_t rule, const Spot& spot, std::int64_t nowSecond) {
  const std::int64_t repeat = std::int64_t{station_.settings().AlertRepeatMinutes} * 60;
  std::string key = std::to_string(rule) + '\t' + spot.dx + '\t' + spot.band;
  const auto it = lastFired_.find(key);
  if (it != lastFired_.end() && nowSecond - it->second < repeat && nowSecond >= it->second) return false;
  if (lastFired_.size() > kFiredKept)
    std::erase_if(lastFired_, [&](const auto& e) { return nowSecond - e.second >= repeat; });
  lastFired_[std::move(key)] = nowSecond;
  return true;
}

void AlertController::SpotFiled(const Spot& spot) {
  if (rules_.empty() || !spot.valid) return;
  const std::int64_t now = SecondOf(station_.clock().LocalNow());
  QString sound;
  bool notify = false;
  for (std::size_t i = 0; i < rules_.size(); ++i) {
    const AlertRule& rule = rules_[i];
    if (!rule.on || (rule.sound.empty() && !rule.notify)) continue;
    if (!RuleMatches(rule, spot, [this](std::string_view s) { return continents_.Of(s); })) continue;
    if (!MayFire(i, spot, now)) continue;
    if (sound.isEmpty()) sound = QString::fromStdString(rule.sound);
    notify = notify || rule.notify;
  }
  // A spot the filter hides plays no sound; its notification and row colour stay.
  if (station_.filter().Shows(spot)) station_.alerts().PlayRuleSound(sound);  // silent while Sound is off
  if (!notify) return;
  const quint64 tag = nextTag_++;
  notified_.emplace_back(tag, spot);
  if (notified_.size() > kSpotsKept) notified_.pop_front();
  EnsureNotifier().Notify(SummaryOf(spot), BodyOf(spot), tag);
}

void AlertController::UseBus(const QDBusConnection& bus) {
  bus_ = bus;
  notifier_.reset();
}

DesktopNotifier& AlertController::EnsureNotifier() {
  // Made on first use: a station without notifying rules never opens the bus.
  if (!notifier_) {
    notifier_ = std::make_unique<DesktopNotifier>(bus_ ? *bus_ : QDBusConnection::sessionBus());
    connect(notifier_.get(), &DesktopNotifier::activated, this, &AlertController::Activated);
  }
  return *notifier_;
}

void AlertController::Activated(quint64 tag) {
  for (const auto& [t, spot] : notified_)
    if (t == tag) {
      station_.PickSpot(spot);
      emit spotActivated();
      return;
    }
}

QString AlertController::SummaryOf(const Spot& spot) {
  QString summary = ToQString(spot.dx) + ' ' + ToQString(spot.khzText);
  if (spot.mode) summary += ' ' + QString::fromLatin1(ModeGroupText(*spot.mode));
  return summary;
}

QString AlertController::BodyOf(const Spot& spot) {
  QStringList parts;
  if (!spot.entity.empty()) parts << ToQString(spot.entity);
  if (spot.km >= 0) parts << QString::number(spot.km) + " km";
  if (const auto tag = NeedMarkTag(spot.need); !tag.empty()) parts << QString::fromLatin1(tag);
  parts << "spotted by " + ToQString(spot.spotter);
  // Services that take markup would read "&" or "<" in an entity name as markup.
  return parts.join(", ").toHtmlEscaped();
}

}  // namespace varnak
