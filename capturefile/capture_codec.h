// The capture file (".ruz") and the hand-off file, byte for byte.
//
// Both hold text lines, each followed by a carriage return and a line feed,
// with no header, separator or trailer. The first byte of the content is kept
// as it is; every later byte is enciphered with one keystream (crypt.h) that
// starts at the start key at byte 1 and runs to the end of the file. A
// capture file uses Encrypt, a hand-off file EncryptForHandOff.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "capturefile/crypt.h"

namespace capturefile {

// The bytes of a capture file for `lines`, enciphered with `crypt` (fresh at
// the start key for a new file; its key is left where the file ends).
std::string EncodeCaptureFile(const std::vector<std::string>& lines, TCrypt& crypt);

// The plain text of a capture file: byte 0 as it is, the rest deciphered with
// a key of its own from the start key. The text still holds its line ends.
std::string DecodeCaptureFile(std::string_view bytes);

// The bytes of a hand-off file for `lines`, with a fresh key.
std::string EncodeHandOffFile(const std::vector<std::string>& lines);

// The plain text of a hand-off file. The reader feeds back each byte it reads,
// which keeps it in step with the writer, but it cannot undo the writer's
// substitution: a byte that should have been written as 1 was written as 255,
// and reads back as the plain byte that a real 255 stands for. This can only
// happen while the key is below 65536 (at byte 1, and rarely later), so a
// decoded byte is wrong there in 1 case out of 256.
std::string DecodeHandOffFile(std::string_view bytes);

}  // namespace capturefile
