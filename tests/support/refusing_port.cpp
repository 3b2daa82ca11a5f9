#include "tests/support/refusing_port.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace testing_support {

TRefusingPort::TRefusingPort() : FSocket(::socket(AF_INET, SOCK_STREAM, 0)) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (FSocket < 0 || ::bind(FSocket, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      ::getsockname(FSocket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (FSocket >= 0) ::close(FSocket);
    throw std::runtime_error("cannot reserve a local port");
  }
  FPort = ntohs(address.sin_port);
}

TRefusingPort::~TRefusingPort() { ::close(FSocket); }

}  // namespace testing_support
