// Errors of the converter. Every failure is an Exception carrying the type
// name that the failure report prints and a message; each error kind is a
// one-line subclass. Only the front end catches them.
//
// A file error keeps the file's path apart from the program's words (see
// TConsoleText), so the failure report can show the path exactly as the
// user gave it whatever it does with the rest.
#ifndef QUILNOTE_BASE_ERRORS_H_
#define QUILNOTE_BASE_ERRORS_H_

#include <stdexcept>
#include <string>
#include <string_view>

#include "base/console_text.h"

namespace quilnote {

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : Exception(TConsoleText(message)) {}
  explicit Exception(const TConsoleText& text) : std::runtime_error(text.Bytes()), text_(text) {}
  virtual const char* TypeName() const { return "Exception"; }
  // The message, what() as parts.
  const TConsoleText& Text() const { return text_; }

 private:
  TConsoleText text_;
};

// The message of a file error: <what> "<full path>". <reason>
inline TConsoleText FileErrorText(std::string_view what, const std::string& full_path,
                                  std::string_view reason) {
  TConsoleText text;
  text.Program(what).Program(" \"").User(full_path).Program("\". ").Program(reason);
  return text;
}

#define QUILNOTE_ERROR_TYPE(Name)                                      \
  class Name : public Exception {                                      \
   public:                                                             \
    using Exception::Exception;                                        \
    const char* TypeName() const override { return #Name; }            \
  }

QUILNOTE_ERROR_TYPE(EFCreateError);       // output file cannot be created
QUILNOTE_ERROR_TYPE(EFOpenError);         // text file cannot be opened
QUILNOTE_ERROR_TYPE(EReadError);          // text file read fails after opening
QUILNOTE_ERROR_TYPE(EOutOfMemory);        // memory exhausted
QUILNOTE_ERROR_TYPE(EInvalidOperation);   // object table created with size 0
QUILNOTE_ERROR_TYPE(EDivByZero);          // integer division by zero
QUILNOTE_ERROR_TYPE(EIntOverflow);        // -2147483648 div -1
QUILNOTE_ERROR_TYPE(EInOutError);         // console input/output
QUILNOTE_ERROR_TYPE(EWriteError);         // the PDF file did not take a write
QUILNOTE_ERROR_TYPE(EStreamError);        // an in-memory buffer cannot grow
QUILNOTE_ERROR_TYPE(ECompressionError);   // zlib reported an error

#undef QUILNOTE_ERROR_TYPE

inline constexpr const char* kOutOfMemoryMessage = "Out of memory";
inline constexpr const char* kWriteErrorMessage = "Stream write error";

}  // namespace quilnote

#endif  // QUILNOTE_BASE_ERRORS_H_
