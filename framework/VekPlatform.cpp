#include "VekPlatform.h"

#include <atomic>
#include <cstdio>

void THeadlessPlatform::ShowMessage(const std::string& Text) {
  std::fprintf(stderr, "%s: %s\n", FTitle.c_str(), Text.c_str());
}

namespace {

THeadlessPlatform& Headless() {
  static THeadlessPlatform Instance;
  return Instance;
}

std::atomic<TVekPlatform*> Installed{nullptr};

} // namespace

TVekPlatform& Platform() {
  TVekPlatform* Current = Installed.load();
  return Current ? *Current : Headless();
}

void InstallPlatform(TVekPlatform* NewPlatform) { Installed.store(NewPlatform); }
