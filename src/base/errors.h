// Errors of the converter. Every failure is an Exception carrying the type
// name that the failure report prints and a message; each error kind is a
// one-line subclass. Only the front end catches them.
#ifndef QUILNOTE_BASE_ERRORS_H_
#define QUILNOTE_BASE_ERRORS_H_

#include <stdexcept>
#include <string>

namespace quilnote {

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  virtual const char* TypeName() const { return "Exception"; }
};

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
