#pragma once
// Socket failures as the operator sees them: the error numbers of the Windows socket
// layer (10061 refused, 10060 timed out ...) that the program's messages have always
// shown, with the system's text.
#include <QAbstractSocket>
#include <string>

namespace varnak {

struct SocketFailure {
  int code = 0;      // 10061, 10060, 10065, 11001, 10054, 10048, 10013, ...
  std::string text;  // the system's text, e.g. "Connection refused"
};

SocketFailure MapSocketError(QAbstractSocket::SocketError error);

// "Windows socket error: Address already in use (10048), on API 'bind'"
std::string SocketErrorText(const SocketFailure& failure, const std::string& api);

}  // namespace varnak
