#pragma once
// RigControl over Hamlib's rigctld network protocol, on the event loop's thread.
// Requests use the extended answer form ("+f"), so that every answer ends in its own
// "RPRT n" line and several requests can be on the wire at once, answered in order:
//   +f      ->  get_freq:\nFrequency: 14025500\nRPRT 0\n
// The radio's modes come from the usable check's "Mode list:"; split is "S 1 VFOB" with
// "I hz" and "X mode 0", and "S 0 VFOA" to end it.
// Each answer must come within a second of its turn. A late or garbled answer breaks
// the link (the stream can no longer be trusted); "RPRT -n" is an error of that call only.
#include <QByteArray>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "links/rig_control.h"

class QTcpSocket;

namespace varnak {

class RigctldClient : public RigControl {
  Q_OBJECT
 public:
  static constexpr int kAnswerLimitMs = 1000;
  static constexpr int kConnectLimitMs = 3000;
  static constexpr int kPollMs = 500;
  static constexpr int kDefaultPort = 4532;

  explicit RigctldClient(QObject* parent = nullptr);
  ~RigctldClient() override;

  void Connect(const QString& host, int port, Done done) override;
  void Disconnect() override;
  bool Usable() const override { return usable_; }
  void SetFrequency(long long hz, Done done) override;
  void SetMode(RigMode mode, Done done) override;
  void SetSplit(std::optional<long long> txHz, RigMode mode, Done done) override;
  bool Offers(RigMode mode) const override;
  void Refresh(Done done) override;
  long long Frequency() const override { return frequency_; }
  std::optional<RigMode> Mode() const override;
  std::string ModeName() const override { return mode_; }
  std::string ModelName() const override { return model_; }

 private:
  enum class Kind { Caps, GetFrequency, GetMode, Set };
  struct Request {
    Kind kind;
    QByteArray command;  // without the line end
    Done done;
    bool poll = false;
    std::vector<std::string> lines = {};
  };

  void Enqueue(Request request);
  void OnConnected();
  void OnReadyRead();
  void OnSocketError();
  void OnTimeLimit();
  void Poll();
  // One answer line for the request at the head of the queue.
  void TakeLine(std::string line);
  // The head's answer is complete; code is the n of its "RPRT n".
  void Complete(int code);
  // Breaks the link: every pending call fails with error, Failed is raised if the link
  // was up. The socket is closed here and deleted later.
  void Fail(const QString& error);
  void ResetSocket();
  void NotifyIfChanged();
  QString Quoted(const Request& request) const;
  void Finish(const Done& done, const QString& error);

  QPointer<QTcpSocket> socket_;
  QString endpoint_;  // "127.0.0.1:4532", for messages
  std::deque<Request> queue_;
  QByteArray buffer_;
  QTimer limit_;
  QTimer poll_;
  bool connected_ = false;
  bool usable_ = false;
  bool pollPending_ = false;
  unsigned generation_ = 0;  // counts links, so a handler sees when its link ended
  long long frequency_ = 0;
  std::string mode_;
  std::string model_;
  std::vector<std::string> modes_;  // the radio's "Mode list", empty when not given
  long long notifiedFrequency_ = -1;
  std::string notifiedMode_;
};

// Hamlib's text for the n of "RPRT -n".
QString HamlibErrorText(int code);
// The mode of one of rigctld's mode names; a name of no mode of the list ("RTTY") gives none.
std::optional<RigMode> RigModeOfName(std::string_view name);

}  // namespace varnak
