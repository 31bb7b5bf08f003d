#include "AsSaveTiff16Unit.h"

#include <cstdarg>

namespace {

void Discard(const char*, const char*, va_list) {}

} // namespace

void SilenceTiffLibrary() {
  TIFFSetErrorHandler(Discard);
  TIFFSetWarningHandler(Discard);
}
