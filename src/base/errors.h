// Errors of the converter. Every failure is an Exception carrying the type
// name that the failure report prints and a message; each error kind is a
// one-line subclass, and a kind that always says the same carries its
// message itself. The front end reports them; elsewhere one is caught only
// where a failure has a fallback (a start that cannot be read is not
// looked into) or where another error is already on its way out.
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

#define QUILNOTE_ERROR_TYPE(Name)                           \
  class Name : public Exception {                           \
   public:                                                  \
    using Exception::Exception;                             \
    const char* TypeName() const override { return #Name; } \
  }

// An error kind that always says the same: `Name()` carries `message`.
#define QUILNOTE_FIXED_ERROR_TYPE(Name, message)            \
  class Name : public Exception {                           \
   public:                                                  \
    Name() : Exception(TConsoleText(message)) {}            \
    const char* TypeName() const override { return #Name; } \
  }

QUILNOTE_ERROR_TYPE(EFCreateError);                              // output file cannot be created
QUILNOTE_ERROR_TYPE(EFOpenError);                                // text file cannot be opened
QUILNOTE_FIXED_ERROR_TYPE(EOutOfMemory, "Out of memory");        // memory exhausted
QUILNOTE_ERROR_TYPE(EInvalidOperation);                          // object table created with size 0
QUILNOTE_FIXED_ERROR_TYPE(EDivByZero, "Division by zero");       // integer division by zero
QUILNOTE_FIXED_ERROR_TYPE(EIntOverflow, "Arithmetic overflow");  // -2147483648 div -1
QUILNOTE_ERROR_TYPE(EInOutError);                                // console input/output
QUILNOTE_FIXED_ERROR_TYPE(EWriteError, "Stream write error");  // the PDF file did not take a write
QUILNOTE_FIXED_ERROR_TYPE(EStreamError,
                          "Out of memory while expanding memory stream");  // a buffer cannot grow
QUILNOTE_FIXED_ERROR_TYPE(ECompressionError, "Error");                     // zlib reported an error

// A file read failed. The message is always the same; the system's error
// code is kept for whoever reports the failure under another name.
class EReadError : public Exception {
 public:
  explicit EReadError(int code) : Exception(TConsoleText("Stream read error")), code_(code) {}
  const char* TypeName() const override { return "EReadError"; }
  int Code() const { return code_; }

 private:
  int code_;
};

#undef QUILNOTE_ERROR_TYPE
#undef QUILNOTE_FIXED_ERROR_TYPE

}  // namespace quilnote

#endif  // QUILNOTE_BASE_ERRORS_H_
