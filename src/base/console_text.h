// Console text made of parts that remember where their bytes came from:
// the program's own texts (Shift-JIS messages, numbers, English words), or
// bytes from the user or the file system (file names, paths, the module
// name). Whoever shows the text may treat the two differently; the bytes
// themselves are the same either way.
#ifndef QUILNOTE_BASE_CONSOLE_TEXT_H_
#define QUILNOTE_BASE_CONSOLE_TEXT_H_

#include <string>
#include <string_view>
#include <vector>

namespace quilnote {

struct TTextPart {
  std::string bytes;
  bool from_user = false;
  // For a name shown in `bytes` in a form that may lack some of its
  // characters (Windows' ANSI code page): the name itself, for a console
  // that shows every character. Empty otherwise.
  std::string name;
};

class TConsoleText {
 public:
  TConsoleText() = default;
  // Text that is wholly the program's own.
  TConsoleText(std::string_view program_text) {
    Program(program_text);
  }  // NOLINT: implicit on purpose

  TConsoleText& Program(std::string_view bytes) { return Add(bytes, false); }
  TConsoleText& User(std::string_view bytes) { return Add(bytes, true); }
  // A name, shown as `shown`, that is `name` itself (see TTextPart::name).
  TConsoleText& Name(std::string_view shown, std::string_view name) {
    parts_.push_back(TTextPart{std::string(shown), true, std::string(name)});
    return *this;
  }
  TConsoleText& Append(const TConsoleText& other) {
    for (const TTextPart& part : other.parts_) {
      if (part.name.empty()) {
        Add(part.bytes, part.from_user);
      } else {
        Name(part.bytes, part.name);
      }
    }
    return *this;
  }

  const std::vector<TTextPart>& parts() const { return parts_; }
  // All parts' bytes in order.
  std::string Bytes() const {
    std::string bytes;
    for (const TTextPart& part : parts_) bytes += part.bytes;
    return bytes;
  }
  // Keeps the first `size` bytes, cutting the part that crosses the limit.
  void Truncate(size_t size) {
    size_t kept = 0;
    for (size_t i = 0; i < parts_.size(); ++i) {
      if (kept + parts_[i].bytes.size() >= size) {
        if (kept + parts_[i].bytes.size() > size) parts_[i].name.clear();  // cut: as its bytes
        parts_[i].bytes.resize(size - kept);
        parts_.resize(i + 1);
        return;
      }
      kept += parts_[i].bytes.size();
    }
  }

 private:
  TConsoleText& Add(std::string_view bytes, bool from_user) {
    if (bytes.empty()) return *this;
    if (!parts_.empty() && parts_.back().from_user == from_user && parts_.back().name.empty()) {
      parts_.back().bytes += bytes;
    } else {
      parts_.push_back(TTextPart{std::string(bytes), from_user, std::string()});
    }
    return *this;
  }

  std::vector<TTextPart> parts_;
};

}  // namespace quilnote

#endif  // QUILNOTE_BASE_CONSOLE_TEXT_H_
