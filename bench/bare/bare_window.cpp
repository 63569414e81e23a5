// A bare Qt Widgets client of a spot feed: it reads the node's lines from a socket and
// shows each as a new row on top of a list in a tab, in a window of the flood
// benchmark's size, refreshed at most ten times a second, the plain Qt way (drawText, a
// scroll bar), with no lookup, no files and no relay. bench/bare.py runs it at the
// flood's rates, to set beside Varnak's figures.
//
//   bare_window PORT [--paced]
// --paced reads at most every 95 ms (what Varnak's cluster link does); without it each
// line is read when it comes.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSocketNotifier>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cstdlib>
#include <vector>

namespace {

class Rows : public QAbstractScrollArea {
 public:
  Rows() { setFont(QFont("Courier New")); }
  void Add(const QString& row) {
    rows_.push_back(row);
    ++pending_;
  }
  void Show() {
    if (pending_ == 0) return;
    verticalScrollBar()->setRange(0, static_cast<int>(rows_.size()));
    viewport()->scroll(0, pending_ * Step());
    pending_ = 0;
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QPainter painter(viewport());
    const int step = Step();
    for (int i = event->rect().top() / step; i <= event->rect().bottom() / step; ++i) {
      const int row = static_cast<int>(rows_.size()) - 1 - i;
      if (row < 0) break;
      painter.drawText(QRect(2, i * step, viewport()->width(), step), Qt::AlignLeft | Qt::AlignVCenter, rows_[row]);
    }
  }

 private:
  int Step() const { return fontMetrics().height(); }
  std::vector<QString> rows_;
  int pending_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) return 2;
  const bool paced = argc > 2 && QByteArray(argv[2]) == "--paced";
  QMainWindow window;
  auto* tabs = new QTabWidget;
  auto* rows = new Rows;
  tabs->addTab(rows, "All");
  window.setCentralWidget(tabs);
  window.statusBar()->showMessage("Connected");
  window.resize(850, 700);
  window.show();

  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<quint16>(std::atoi(argv[1])));
  ::inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return 2;

  QByteArray pending;
  const auto readAll = [&] {
    char buffer[65536];
    ssize_t got;
    bool any = false;
    while ((got = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0) {
      pending.append(buffer, got);
      any = true;
    }
    if (got == 0) app.quit();
    qsizetype start = 0, end;
    while ((end = pending.indexOf('\n', start)) >= 0) {
      rows->Add(QString::fromLatin1(pending.constData() + start, end - start).trimmed());
      start = end + 1;
    }
    pending.remove(0, start);
    return any;
  };
  // At most ten refreshes a second; the first after a quiet spell at once.
  QTimer refresh;
  refresh.setSingleShot(true);
  QElapsedTimer lastShown;
  QObject::connect(&refresh, &QTimer::timeout, [&] {
    rows->Show();
    lastShown.start();
  });
  const auto showSoon = [&] {
    if (refresh.isActive()) return;
    refresh.start(lastShown.isValid() ? std::max<qint64>(0, 100 - lastShown.elapsed()) : 0);
  };
  QSocketNotifier notifier(fd, QSocketNotifier::Read);
  QTimer pace;
  pace.setSingleShot(true);
  pace.setTimerType(Qt::PreciseTimer);
  pace.setInterval(95);
  // A pace starts with each read; what comes meanwhile waits in the system for its end.
  QObject::connect(&pace, &QTimer::timeout, [&] {
    notifier.setEnabled(true);
    if (readAll()) pace.start();
    showSoon();
  });
  QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
    if (paced && pace.isActive()) {
      notifier.setEnabled(false);
      return;
    }
    readAll();
    if (paced) pace.start();
    showSoon();
  });
  return app.exec();
}
