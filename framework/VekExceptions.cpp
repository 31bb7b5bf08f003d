#include "VekExceptions.h"

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

void Abort() { throw EAbort(); }
