#include "capturefile/capture_codec.h"

namespace capturefile {

namespace {

std::string JoinWithLineEnds(const std::vector<std::string>& lines) {
  std::size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string content;
  content.reserve(size);
  for (const std::string& line : lines) {
    content += line;
    content += "\r\n";
  }
  return content;
}

}  // namespace

// The content is joined first and enciphered from its second byte on. This is
// the same as taking the first line's first character plain, and it keeps an
// empty first line correct: the plain byte is then its carriage return.
std::string EncodeCaptureFile(const std::vector<std::string>& lines, TCrypt& crypt) {
  std::string bytes = JoinWithLineEnds(lines);
  if (bytes.size() > 1) crypt.EncryptBuffer(bytes.data() + 1, bytes.size() - 1);
  return bytes;
}

std::string DecodeCaptureFile(std::string_view bytes) {
  std::string text(bytes);
  TCrypt crypt;
  if (text.size() > 1) crypt.DecryptBuffer(text.data() + 1, text.size() - 1);
  return text;
}

std::string EncodeHandOffFile(const std::vector<std::string>& lines) {
  std::string bytes = JoinWithLineEnds(lines);
  TCrypt crypt;
  if (bytes.size() > 1) crypt.EncryptBufferForHandOff(bytes.data() + 1, bytes.size() - 1);
  return bytes;
}

// Deciphering is the same operation for both files; only the writer differs.
std::string DecodeHandOffFile(std::string_view bytes) { return DecodeCaptureFile(bytes); }

}  // namespace capturefile
