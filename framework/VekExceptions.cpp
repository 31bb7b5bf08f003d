#include "VekExceptions.h"

#include <cstring>
#include <cxxabi.h>
#include <memory>
#include <typeinfo>

std::string ExceptionClassName(const std::exception& E) {
  if (const auto* Own = dynamic_cast<const Exception*>(&E))
    return Own->ClassName();
  const char* Mangled = typeid(E).name();
  int Status = 0;
  std::unique_ptr<char, void (*)(void*)> Demangled(
      abi::__cxa_demangle(Mangled, nullptr, nullptr, &Status), std::free);
  return Status == 0 && Demangled ? std::string(Demangled.get()) : std::string(Mangled);
}

std::string SystemCause(int Error) {
  return Error == 0 ? std::string() : std::strerror(Error);
}


TExceptionDescription DescribeException(const std::exception_ptr& E) {
  TExceptionDescription Description;
  if (!E)
    return Description;
  try {
    std::rethrow_exception(E);
  } catch (const EAbort&) {
    Description.Kind = TExceptionDescription::SilentAbort;
  } catch (const std::exception& Caught) {
    Description.Kind = TExceptionDescription::Described;
    Description.ClassName = ExceptionClassName(Caught);
    Description.Message = Caught.what();
  } catch (...) {
    Description.Kind = TExceptionDescription::Unknown;
  }
  return Description;
}

std::string TExceptionDescription::ReportText(const std::string& Separator) const {
  if (Kind == Described)
    return "(" + ClassName + ")" + Separator + Message;
  return Kind == Unknown ? "(unknown exception)" : "";
}

void Abort() {
  throw EAbort();
}
