#pragma once
// The one exception hierarchy of the program. Every class knows the name
// the error log prints for it.
#include <exception>
#include <string>

class Exception : public std::exception {
public:
  explicit Exception(std::string Message, std::string Cause = {})
      : FMessage(std::move(Message)), FCause(std::move(Cause)) {}
  const char* what() const noexcept override { return FMessage.c_str(); }
  const std::string& Message() const noexcept { return FMessage; }
  // The system's own word on the failure ("No space left on device"), when
  // it gave one. Kept apart from the message, which the error log and the
  // window show unchanged; the command line adds it.
  const std::string& Cause() const noexcept { return FCause; }
  virtual std::string ClassName() const { return "Exception"; }

private:
  std::string FMessage;
  std::string FCause;
};

#define VEK_EXCEPTION_CLASS(Name)                                                                  \
  class Name : public Exception {                                                                  \
  public:                                                                                          \
    using Exception::Exception;                                                                    \
    std::string ClassName() const override { return #Name; }                                       \
  }

// The silent abort: ends an operation without any message and is never logged.
class EAbort : public Exception {
public:
  EAbort() : Exception("Operation aborted") {}
  std::string ClassName() const override { return "EAbort"; }
};

class EOutOfMemory : public Exception {
public:
  EOutOfMemory() : Exception("Out of memory") {}
  std::string ClassName() const override { return "EOutOfMemory"; }
};

VEK_EXCEPTION_CLASS(EInOutError);
VEK_EXCEPTION_CLASS(EFOpenError);
VEK_EXCEPTION_CLASS(EJPEG);
VEK_EXCEPTION_CLASS(EVekListError);
VEK_EXCEPTION_CLASS(EVekQueueError);

#undef VEK_EXCEPTION_CLASS

// The class name an error report prints for any exception: ours name
// themselves, foreign ones by their demangled type.
std::string ExceptionClassName(const std::exception& E);

// What a report says of an exception: its kind, and for one derived from
// std::exception its class name (as ExceptionClassName) and its message.
struct TExceptionDescription {
  enum TKind { None, SilentAbort, Described, Unknown };
  TKind Kind = None;
  std::string ClassName;
  std::string Message;

  // "(Class)" + Separator + message; "(unknown exception)" for one not
  // derived from std::exception; empty for none and the silent abort.
  std::string ReportText(const std::string& Separator) const;
};

// Describes E; an empty E is no exception.
TExceptionDescription DescribeException(const std::exception_ptr& E);

// The system's text for an errno value; empty for 0.
std::string SystemCause(int Error);

// Raises the silent abort.
[[noreturn]] void Abort();
