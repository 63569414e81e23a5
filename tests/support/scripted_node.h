#pragma once
// A cluster node for tests, on 127.0.0.1 at a free port. It behaves like a DX Spider
// 1.57 node as seen from a Telnet client: "login: " without a line end, "password: "
// for registered calls, the welcome on the line of the echoed prompt, the node prompt
// "Q1ABC de Q9NODE  7-Dec-2026 2150Z dxspider >", "sh/users" (a user not here in
// parentheses), and "bye" in all DX Spider's forms ("b", "exit", "q" ...) closing
// without a goodbye. It sends no Telnet negotiation unless told to, and records every byte it
// receives.
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <map>

class QTcpServer;
class QTcpSocket;

namespace varnak::test {

class ScriptedNode : public QObject {
  Q_OBJECT

 public:
  explicit ScriptedNode(QObject* parent = nullptr);
  ~ScriptedNode() override;

  quint16 port() const;
  QString nodeCall() const { return nodeCall_; }

  // Calls that must give a password, with their passwords.
  void AddUser(const QString& call, const QString& password) { passwords_[call] = password; }
  // Bytes sent right after accepting, before "login: " (option negotiation).
  void SetGreetingBytes(const QByteArray& bytes) { greeting_ = bytes; }
  // Answer to a command (without CR LF) sent before the prompt, lines ending CR LF;
  // a leave command with an answer is answered instead of acted on.
  void SetAnswer(const QString& command, const QByteArray& bytes) { answers_[command] = bytes; }
  // The prompt after this command waits for ReleasePrompt (a slow node).
  void HoldPromptAfter(const QString& command) { holdAfter_ = command; }
  void ReleasePrompt();
  // Off: no "login: ", the client counts as logged in as Q1ABC from the start.
  void SetLoginPrompt(bool on) { loginPrompt_ = on; }
  // What follows "login: " and "password: " (nothing, as DX Spider sends them).
  void SetPromptLineEnd(const QByteArray& end) { promptEnd_ = end; }

  // Writes raw bytes to the connected client.
  void Send(const QByteArray& bytes);
  // Plays lines, each followed by CR LF.
  void Play(const QStringList& lines);
  // Sends bytes (typically half a line) and closes the connection.
  void SendAndClose(const QByteArray& bytes);
  void CloseClient();
  // Drops the client with a TCP reset, as a crashed node or a broken path does.
  void ResetClient();
  // A node that is down: connects are refused until it listens again on its port.
  void StopListening();
  bool ListenAgain();

  bool HasClient() const;
  int Accepted() const { return accepted_; }
  QByteArray Received() const { return received_; }  // every byte of every connection
  QStringList Commands() const { return commands_; }  // lines received after the login
  QString LoggedIn() const { return loggedIn_; }

  static QByteArray Spot(const QString& deCall, const QString& freq, const QString& dx, const QString& text,
                         const QString& time);

 signals:
  void ClientConnected();
  void BytesReceived();
  void CommandReceived(const QString& command);
  void LoggedInAs(const QString& call);
  void ClientGone();

 private:
  enum class Stage { Login, Password, Commands };
  void OnNewConnection();
  void OnReadyRead();
  void OnLine(const QByteArray& line);
  void Welcome();
  QByteArray Prompt() const;
  static bool IsLeave(const QString& line);

  QTcpServer* server_;
  QPointer<QTcpSocket> client_;
  QString nodeCall_ = "Q9NODE";
  std::map<QString, QString> passwords_;
  std::map<QString, QByteArray> answers_;
  QByteArray greeting_, promptEnd_;
  QString holdAfter_;
  bool promptHeld_ = false;
  bool loginPrompt_ = true;
  Stage stage_ = Stage::Login;
  QString call_, loggedIn_;
  QByteArray lineBuffer_, received_;
  QStringList commands_;
  int accepted_ = 0;
  quint16 port_ = 0;  // kept while not listening
  bool lastWasCr_ = false;
  int iac_ = 0;  // where in a Telnet command from the client we are
};

}  // namespace varnak::test
