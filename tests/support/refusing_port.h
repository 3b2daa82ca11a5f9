// A local TCP port that refuses connections: bound, so that nobody else takes
// it while the object lives, but never listening. For "server down" cases.
#pragma once

namespace testing_support {

class TRefusingPort {
 public:
  // Throws std::runtime_error when no port can be reserved.
  TRefusingPort();
  ~TRefusingPort();
  TRefusingPort(const TRefusingPort&) = delete;
  TRefusingPort& operator=(const TRefusingPort&) = delete;

  unsigned Port() const { return FPort; }

 private:
  int FSocket;
  unsigned FPort = 0;
};

}  // namespace testing_support
