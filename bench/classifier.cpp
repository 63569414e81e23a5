// Lines per second through ClassifyLine with a realistic cluster stream: about 70 %
// spots (5 % of them repeats), then announcements, WWV/WCY bulletins, talk, user
// listings and prompts. Once with the session's models only, once with the views of
// the main window attached (offscreen), letting the event loop run between chunks.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWidget>
#include <random>

#include "app/classifier.h"
#include "ui/pane_views.h"
#include "ui/spot_list_views.h"

using namespace varnak;

namespace {

class BenchHost : public ClassifierHost {
 public:
  explicit BenchHost(Classifier*& classifier) : classifier_(classifier) {}
  const std::string& MyCall() const override { return myCall_; }
  const std::string& ConnectCall() const override { return node_; }
  const std::string& Password() const override { return password_; }
  int Telnet() const override { return 1; }
  int TelnetOut() const override { return 1; }
  bool Sound() const override { return true; }
  bool TelnetConnected() const override { return true; }
  bool NodeConnected() const override { return false; }
  const Clock& GetClock() const override { return clock_; }
  void SendTelnetLine(const std::string&) override {}
  void SendLine(const std::string& text) override { classifier_->ClassifyLine(text); }
  void RelayLine(const std::string& line) override { relayed_ += line.size(); }

 private:
  Classifier*& classifier_;
  std::string myCall_ = "Q1ABC", node_ = "Q9NODE", password_;
  SystemClock clock_;
  size_t relayed_ = 0;
};

std::vector<std::string> MakeStream(size_t count) {
  std::mt19937 rng(7);
  auto R = [&rng] { return static_cast<unsigned>(rng()); };
  const char* freqs[] = {"1822.0", "3525.5", "7012.0", "10105.2", "14025.0", "14195.0", "18080.0",
                         "21025.0", "24895.0", "28025.0", "50110.0", "144300.0", "432100.0", "10368100.0"};
  std::vector<std::string> lines;
  std::vector<std::string> recent;
  lines.reserve(count);
  for (size_t i = 0; lines.size() < count; ++i) {
    const unsigned r = R() % 100;
    char buf[160];
    if (r < 70) {
      if (!recent.empty() && R() % 100 < 5) {
        lines.push_back(recent[R() % recent.size()]);
        continue;
      }
      std::snprintf(buf, sizeof buf, "DX de Q%uAB:     %s  Q%uX%04u        CQ CQ TEST up %u              %02u%02uZ",
                    R() % 10, freqs[R() % 14], R() % 10, static_cast<unsigned>(i % 10000), R() % 5,
                    R() % 24, R() % 60);
      lines.emplace_back(buf);
      if (recent.size() < 40) recent.push_back(lines.back()); else recent[R() % 40] = lines.back();
    } else if (r < 78) {
      std::snprintf(buf, sizeof buf, "To ALL de Q%uCD: contest on 40m tonight, QSL via bureau %zu", R() % 10, i);
      lines.emplace_back(buf);
    } else if (r < 82) {
      std::snprintf(buf, sizeof buf, "WWV de W1AW <%02u>:   SFI=%u, A=%u, K=%u, No Storms", R() % 24, 60 + R() % 200,
                    R() % 40, R() % 9);
      lines.emplace_back(buf);
    } else if (r < 85) {
      std::snprintf(buf, sizeof buf, "WCY de DK0WCY-2 <%02u> : K=%u expK=%u A=%u R=%u SFI=%u", R() % 24, R() % 9,
                    R() % 9, R() % 40, R() % 200, 60 + R() % 200);
      lines.emplace_back(buf);
    } else if (r < 89) {
      std::snprintf(buf, sizeof buf, "Q1ABC de Q%uEF: hello, are you QRV on 20m %zu?", R() % 10, i);
      lines.emplace_back(buf);
    } else if (r < 92) {
      lines.emplace_back("Callsigns connected to Q9NODE");
      lines.emplace_back("Q2AA  Q3BB  Q4CC  Q5DD  Q6EE  Q7FF  Q8GG");
      std::snprintf(buf, sizeof buf, "Q1ABC de Q9NODE  6-Dec-2026 %02u%02uZ dxspider >", R() % 24, R() % 60);
      lines.emplace_back(buf);
    } else if (r < 96) {
      std::snprintf(buf, sizeof buf, "User Q%uGH has logged in", R() % 10);
      lines.emplace_back(buf);
    } else {
      std::snprintf(buf, sizeof buf, "Q1ABC de Q9NODE  6-Dec-2026 %02u%02uZ dxspider >", R() % 24, R() % 60);
      lines.emplace_back(buf);
    }
  }
  lines.resize(count);
  return lines;
}

struct Session {
  Classifier* classifier = nullptr;
  BenchHost host{classifier};
  SystemClock clock;
  SpotLists lists{clock};
  ClusterTextModel pane;
  TalkModel talk;
  UserListModel users;
  Classifier real{host, lists, pane, talk, users};
  Session() { classifier = &real; }
};

void BM_ClassifyModelsOnly(benchmark::State& state) {
  const auto stream = MakeStream(20000);
  Session s;
  size_t i = 0;
  for (auto _ : state) {
    s.real.ClassifyLine(stream[i]);
    if (++i == stream.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ClassifyModelsOnly);

void BM_ClassifyWithViews(benchmark::State& state) {
  const auto stream = MakeStream(20000);
  Session s;
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* tabs = new QTabWidget;
  const int views = state.range(1);
  if (views & 1) for (int l = 0; l < kSpotListCount; ++l)
    tabs->addTab(new SpotListView(s.lists.List(l)), QString::fromLatin1(kSpotPageTitles[static_cast<size_t>(l)]));
  auto* row = new QHBoxLayout;
  row->addWidget(tabs, 3);
  if (views & 8) row->addWidget(new UserListView(&s.users), 1);
  layout->addLayout(row, 3);
  if (views & 2) layout->addWidget(new ClusterTextView(&s.pane), 2);
  if (views & 4) layout->addWidget(new TalkView(&s.talk), 1);
  window.resize(1000, 800);
  window.show();
  QCoreApplication::processEvents();
  const size_t chunk = static_cast<size_t>(state.range(0));
  size_t i = 0;
  for (auto _ : state) {
    s.real.ClassifyLine(stream[i]);
    if (++i == stream.size()) i = 0;
    // A socket read brings a chunk of lines; the event loop runs between chunks.
    if (chunk != 0 && i % chunk == 0) QCoreApplication::processEvents();
  }
  state.SetItemsProcessed(state.iterations());
}
// Arguments: lines per socket read, after which the event loop runs (and may paint);
// which views are attached: 1 spot lists, 2 cluster text, 4 talk, 8 users, 15 all.
BENCHMARK(BM_ClassifyWithViews)->Args({1, 15})->Args({16, 15})->Args({16, 1})->Args({16, 2})->Args({16, 8});

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
