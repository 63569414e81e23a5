#include "telnet/socket_error.h"

#include <cerrno>
#include <cstring>

namespace varnak {

namespace {
SocketFailure Make(int code, int err) { return {code, std::strerror(err)}; }
}  // namespace

SocketFailure MapSocketError(QAbstractSocket::SocketError error) {
  switch (error) {
    case QAbstractSocket::ConnectionRefusedError: return Make(10061, ECONNREFUSED);
    case QAbstractSocket::RemoteHostClosedError: return Make(10054, ECONNRESET);
    case QAbstractSocket::HostNotFoundError: return {11001, "Host not found"};
    case QAbstractSocket::SocketAccessError: return Make(10013, EACCES);
    case QAbstractSocket::SocketResourceError: return Make(10055, ENOBUFS);
    case QAbstractSocket::SocketTimeoutError: return Make(10060, ETIMEDOUT);
    case QAbstractSocket::NetworkError: return Make(10065, EHOSTUNREACH);
    case QAbstractSocket::AddressInUseError: return Make(10048, EADDRINUSE);
    case QAbstractSocket::SocketAddressNotAvailableError: return Make(10049, EADDRNOTAVAIL);
    case QAbstractSocket::UnsupportedSocketOperationError: return Make(10045, EOPNOTSUPP);
    default: return Make(10022, EINVAL);
  }
}

std::string SocketErrorText(const SocketFailure& failure, const std::string& api) {
  return "Windows socket error: " + failure.text + " (" + std::to_string(failure.code) +
         "), on API '" + api + "'";
}

}  // namespace varnak
