#include "TempDir.h"
#include "VekUtil.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int WritesEach = 200;

void WriteKeys(const std::string& Ini, const std::string& Prefix) {
  for (int I = 0; I < WritesEach; ++I)
    IniWriteInt(Ini, "Config", Prefix + std::to_string(I), I);
}

void ExpectAllKeys(const std::string& Ini, const std::string& Prefix) {
  int Found = 0;
  for (int I = 0; I < WritesEach; ++I)
    Found += IniReadInt(Ini, "Config", Prefix + std::to_string(I), -1) == I ? 1 : 0;
  EXPECT_EQ(Found, WritesEach) << Prefix;
}

} // namespace

TEST(VekIniConcurrency, TwoThreadsLoseNoKey) {
  TTempDir Dir;
  const std::string Ini = Dir.File("s.ini");
  IniWriteStr(Ini, "Keep", "Me", "yes");
  std::thread First(WriteKeys, Ini, "a");
  std::thread Second(WriteKeys, Ini, "b");
  First.join();
  Second.join();
  ExpectAllKeys(Ini, "a");
  ExpectAllKeys(Ini, "b");
  EXPECT_EQ(IniReadStr(Ini, "Keep", "Me", ""), "yes");
}

TEST(VekIniConcurrency, TwoProcessesLoseNoKey) {
  TTempDir Dir;
  const std::string Ini = Dir.File("s.ini");
  IniWriteStr(Ini, "Keep", "Me", "yes");
  const pid_t Child = ::fork();
  ASSERT_GE(Child, 0);
  if (Child == 0) {
    WriteKeys(Ini, "child");
    ::_exit(0);
  }
  WriteKeys(Ini, "parent");
  int Status = 0;
  ASSERT_EQ(::waitpid(Child, &Status, 0), Child);
  ASSERT_TRUE(WIFEXITED(Status));
  ExpectAllKeys(Ini, "child");
  ExpectAllKeys(Ini, "parent");
  EXPECT_EQ(IniReadStr(Ini, "Keep", "Me", ""), "yes");
}
