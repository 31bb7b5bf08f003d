#pragma once
// Which sanitizer a test program was built with: some tests cannot work
// under one (an address-space limit under AddressSanitizer) or scale their
// load down for one (ThreadSanitizer).

#if defined(__has_feature)
#define VELMORA_HAS_FEATURE(x) __has_feature(x)
#else
#define VELMORA_HAS_FEATURE(x) 0
#endif

constexpr bool AddressSanitized() {
#if defined(__SANITIZE_ADDRESS__) || VELMORA_HAS_FEATURE(address_sanitizer)
  return true;
#else
  return false;
#endif
}

constexpr bool ThreadSanitized() {
#if defined(__SANITIZE_THREAD__) || VELMORA_HAS_FEATURE(thread_sanitizer)
  return true;
#else
  return false;
#endif
}
