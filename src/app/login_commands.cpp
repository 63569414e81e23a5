#include "app/login_commands.h"

#include <algorithm>

#include "core/text.h"
#include "links/cluster_link.h"
#include "telnet/second_ticker.h"

namespace varnak {

std::vector<std::string> ReadLoginCommands(const std::filesystem::path& path) {
  std::vector<std::string> commands;
  const auto table = ReadTableFile(path);
  if (!table) return commands;
  for (size_t i = 0; i < table->size(); ++i) {
    const TableRow& row = (*table)[i];
    if (row.empty()) continue;
    std::string command = Trim(row[0]);
    if (command.empty() || (i == 0 && command == kLoginCommandsHeading)) continue;
    commands.push_back(std::move(command));
  }
  return commands;
}

bool WriteLoginCommands(const std::filesystem::path& path, const std::vector<std::string>& commands,
                        std::string* error) {
  Table table{{kLoginCommandsHeading}};
  for (const auto& c : commands) {
    std::string command = Trim(c);
    if (!command.empty()) table.push_back({std::move(command)});
  }
  return WriteTableFile(path, table, error);
}

LoginCommands::LoginCommands(std::filesystem::path file, const LinkSettings& settings, QObject* parent)
    : QObject(parent), file_(std::move(file)), settings_(settings) {
  SetTicker(std::make_unique<TimerTicker>());
}

LoginCommands::~LoginCommands() = default;

void LoginCommands::SetTicker(std::unique_ptr<SecondTicker> ticker) {
  ticker_ = std::move(ticker);
  ticker_->onSecond = [this] { OnSecond(); };
}

void LoginCommands::Follow(ClusterLink& link) {
  ClusterLink* l = &link;
  connect(l, &ClusterLink::lineReceived, this, [this, l](const std::string& line) { OnLine(l, line); });
  connect(l, &ClusterLink::lineSent, this, [this, l] {
    if (active_ && link_ == l) ++unanswered_;
  });
  connect(l, &ClusterLink::loggedIn, this, [this, l] { Start(l); });
  connect(l, &ClusterLink::stateChanged, this, [this, l](ClusterLink::State state) {
    if (link_ == l && state != ClusterLink::State::LoggedIn) Stop();
  });
}

void LoginCommands::Start(ClusterLink* link) {
  Stop();
  rows_ = ReadLoginCommands(file_);
  if (rows_.empty()) return;
  link_ = link;
  active_ = true;
  // The first row waits for the prompt after the station's own line, or the time.
  waitedS_ = 0;
  ticker_->Start();
}

void LoginCommands::Stop() {
  active_ = false;
  link_ = nullptr;
  rows_.clear();
  next_ = 0;
  unanswered_ = 0;
  ticker_->Stop();
}

bool LoginCommands::IsPrompt(const std::string& line) const {
  // "Q1ABC de Q9NODE  8-Dec-2026 2150Z dxspider >"; talk ("Q1ABC de Q2DEF: hi") has no ">".
  return StartsWith(line, settings_.MyCall() + " de ") && EndsWith(TrimRight(line), ">");
}

void LoginCommands::OnLine(ClusterLink* link, const std::string& line) {
  if (!active_ || link_ != link || !IsPrompt(line)) return;
  unanswered_ = std::max(unanswered_ - 1, 0);
  // Whatever the station sends on seeing this prompt goes first and is counted.
  QMetaObject::invokeMethod(this, &LoginCommands::TrySend, Qt::QueuedConnection);
}

void LoginCommands::OnSecond() {
  if (!active_) return;
  if (++waitedS_ < kPromptWaitS) return;
  unanswered_ = 0;  // a node that answers without a prompt keeps no row back for long
  TrySend();
}

void LoginCommands::TrySend() {
  if (!active_ || unanswered_ > 0 || !link_) return;
  ClusterLink* link = link_;
  const std::string row = rows_[next_++];
  waitedS_ = 0;
  ticker_->Start();
  if (next_ == rows_.size()) {
    Stop();
  }
  // lineSent counts this row's prompt while the round goes on.
  if (!link->Send(row)) Stop();
}

}  // namespace varnak
