#pragma once
// AlertController: the operator's alert rules at work.
//
// Responsibilities: reads "alerts.cfg" when the configuration is read (a damaged row
// gives a pane line naming it) and writes it for the editor; tests each filed spot
// against the rules that are on; lets a rule fire at most once per call and band in
// the repeat time (a setting); plays the rule's sound, sends the desktop notification,
// and answers the row colour of a spot for the spot views. A clicked notification makes
// its spot the current one.
//
// Collaborations: Station (spotFiled, settings, clock, pane, sounds, call parser),
// DesktopNotifier (the session bus, made when a rule first notifies), the window (raises
// itself on spotActivated, paints rows with RowColour).
#include <QColor>
#include <QDBusConnection>
#include <QObject>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/alert_rules.h"
#include "app/spotter_continents.h"

namespace varnak {

class DesktopNotifier;
class Station;

class AlertController : public QObject {
  Q_OBJECT
 public:
  explicit AlertController(Station& station);
  ~AlertController() override;

  // Reads the rules from the station folder's file.
  void Reload();
  const std::vector<AlertRule>& Rules() const { return rules_; }
  // Writes the file and uses the rules; false (error says why) leaves both as they were.
  bool SaveRules(std::vector<AlertRule> rules, std::string* error = nullptr);

  // Background of a spot's row from the first rule that is on, has a colour and covers
  // the spot; invalid for none.
  QColor RowColour(const Spot& spot);
  SpotterContinents& continents() { return continents_; }

  // Notifications go on this bus from now on (the session bus unless told).
  void UseBus(const QDBusConnection& bus);
  DesktopNotifier* Notifier() const { return notifier_.get(); }
  // The two texts of a spot's notification.
  static QString SummaryOf(const Spot& spot);
  static QString BodyOf(const Spot& spot);

 signals:
  // A notification was clicked: its spot is the current one now.
  void spotActivated();

 private:
  void SpotFiled(const Spot& spot);
  // True once per call, band and rule in the repeat time.
  bool MayFire(std::size_t rule, const Spot& spot, std::int64_t nowSecond);
  DesktopNotifier& EnsureNotifier();
  void Activated(quint64 tag);

  Station& station_;
  std::vector<AlertRule> rules_;
  std::vector<QColor> colours_;  // of rules_, invalid for none
  SpotterContinents continents_;
  std::unordered_map<std::string, std::int64_t> lastFired_;  // rule, call, band -> second
  std::optional<QDBusConnection> bus_;
  std::unique_ptr<DesktopNotifier> notifier_;
  std::deque<std::pair<quint64, Spot>> notified_;  // tag, the spot; newest last
  quint64 nextTag_ = 1;
};

}  // namespace varnak
