#include "test_support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <zlib.h>

namespace quilnote::test {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream data;
  data << in.rdbuf();
  return data.str();
}

void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

namespace {

std::string Escaped(std::string_view bytes) {
  std::string out;
  for (char ch : bytes) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    }
  }
  return out;
}

}  // namespace

::testing::AssertionResult BytesEqual(std::string_view expected, std::string_view actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  size_t from = at > 40 ? at - 40 : 0;
  return ::testing::AssertionFailure()
         << "bytes differ at offset " << at << " (expected " << expected.size() << " bytes, got "
         << actual.size() << ")\n  expected: ..." << Escaped(expected.substr(from, 100))
         << "\n  actual:   ..." << Escaped(actual.substr(from, 100));
}

::testing::AssertionResult IsReport(const std::string& err, const std::string& type,
                                    const std::string& message) {
  const std::string head = "Exception " + type + " in module quilnote at ";
  const size_t eol = err.find("\r\n");
  const std::string address = err.substr(head.size(), 16);
  if (err.compare(0, head.size(), head) != 0 || eol != head.size() + 17 ||
      address.find_first_not_of("0123456789ABCDEF") != std::string::npos || err[eol - 1] != '.') {
    return ::testing::AssertionFailure() << "not a report of " << type << ": " << err;
  }
  const std::string rest = err.substr(eol + 2);
  if (rest != message + "\r\n\r\n") {
    return ::testing::AssertionFailure()
           << "message: " << BytesEqual(message + "\r\n\r\n", rest).message();
  }
  return ::testing::AssertionSuccess();
}

std::string CrLfLines(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

std::string Inflate(std::string_view zlib_stream) {
  z_stream zs{};
  EXPECT_EQ(inflateInit(&zs), Z_OK);
  std::string out;
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zlib_stream.data()));
  zs.avail_in = static_cast<uInt>(zlib_stream.size());
  char buf[65536];
  int status;
  do {
    zs.next_out = reinterpret_cast<Bytef*>(buf);
    zs.avail_out = sizeof buf;
    status = inflate(&zs, Z_NO_FLUSH);
    out.append(buf, sizeof buf - zs.avail_out);
  } while (status == Z_OK);
  EXPECT_EQ(status, Z_STREAM_END) << "not a complete zlib stream";
  EXPECT_EQ(zs.avail_in, 0u) << "bytes after the zlib stream";
  inflateEnd(&zs);
  return out;
}

std::string StreamOf(std::string_view pdf, int number) {
  std::string head = "\n" + std::to_string(number) + " 0 obj\n";
  size_t at = pdf.find(head);
  if (at == std::string_view::npos) return "";
  size_t data = pdf.find("stream\n", at) + 7;
  size_t end = pdf.find("\nendstream\n", data);
  // The data may itself contain "\nendstream\n" only by accident of
  // compression; the /Length object decides.
  std::string length_head = "\n" + std::to_string(number + 1) + " 0 obj\n";
  size_t length_at = pdf.find(length_head, data);
  if (length_at != std::string_view::npos) {
    size_t length = static_cast<size_t>(std::strtoull(
        std::string(pdf.substr(length_at + length_head.size(), 24)).c_str(), nullptr, 10));
    return std::string(pdf.substr(data, length));
  }
  return std::string(pdf.substr(data, end - data));
}

std::string ExpectedFontObjects(const std::string& name) {
  return "3 0 obj\n<<\n/Type /Font\n/Name /F0\n/Subtype /Type0\n/BaseFont /" + name +
         "\n/DescendantFonts [4 0 R]\n/Encoding /90ms-RKSJ-H\n>>\nendobj\n"
         "4 0 obj\n<<\n/Type /Font\n/Subtype /CIDFontType2\n/BaseFont /" +
         name +
         "\n/WinCharSet 128\n/FontDescriptor 5 0 R\n/CIDSystemInfo\n<<\n"
         "/Registry(Adobe) /Ordering(Japan1) /Supplement 2\n>>\n/DW 1000\n"
         "/W [ 231 389 500 631 631 500 ]\n>>\nendobj\n"
         "5 0 obj\n<<\n/Type /FontDescriptor\n/FontName /" +
         name +
         "\n/Flags 5\n/FontBBox [ -100 -141 1100 1000 ]\n/StemV 91\n/StemH 91\n"
         "/ItalicAngle 0\n/CapHeight 859\n/XHeight 430\n/Ascent 859\n/Descent -141\n"
         "/Leading 0\n/MaxWidth 1000\n/AvgWidth 500\n"
         "/Style << /Panose <000000000000000000000000> >> \n>>\nendobj\n";
}

}  // namespace quilnote::test
