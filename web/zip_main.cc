// The page's ZIP maker: `zipper out.zip name...` packs the named files of
// the module's file system into out.zip with zlib's own minizip, each
// deflated, stamped 1980-01-01 (the same bytes for the same PDFs) and named
// in UTF-8. Exit status 0, or 1 with a line on standard error.
#include <zip.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

// Bit 11 of the general purpose flags: the name is UTF-8.
constexpr unsigned long kUtf8Names = 1 << 11;

bool AddFile(zipFile zip, const char* name) {
  const std::unique_ptr<FILE, int (*)(FILE*)> in(std::fopen(name, "rb"), std::fclose);
  if (!in) return false;
  std::vector<char> bytes;
  char piece[1 << 16];
  for (size_t got; (got = std::fread(piece, 1, sizeof piece, in.get())) > 0;) {
    bytes.insert(bytes.end(), piece, piece + got);
  }
  if (std::ferror(in.get())) return false;
  zip_fileinfo info{};
  info.tmz_date.tm_mday = 1;  // 1980-01-01, the first date a ZIP can hold
  if (zipOpenNewFileInZip4(zip, name, &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                           Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY, nullptr, 0,
                           0, kUtf8Names) != ZIP_OK) {
    return false;
  }
  const bool written =
      bytes.empty() ||
      zipWriteInFileInZip(zip, bytes.data(), static_cast<unsigned>(bytes.size())) == ZIP_OK;
  return zipCloseFileInZip(zip) == ZIP_OK && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 1;
  zipFile zip = zipOpen(argv[1], APPEND_STATUS_CREATE);
  bool packed = zip != nullptr;
  for (int i = 2; packed && i < argc; ++i) {
    packed = AddFile(zip, argv[i]);
    if (!packed) std::fprintf(stderr, "cannot pack %s\n", argv[i]);
  }
  if (zip != nullptr && zipClose(zip, nullptr) != ZIP_OK) packed = false;
  return packed ? 0 : 1;
}
