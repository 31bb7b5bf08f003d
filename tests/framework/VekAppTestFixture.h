#pragma once
// A started framework (App, exception event, report handler) whose error log
// lies in a fresh temporary folder, for the application object's and the
// log server's tests.
#include "TempDir.h"
#include "VekLogServer.h"
#include "VekSystem.h"
#include "WaitFor.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class TAppFixture : public ::testing::Test {
protected:
  void SetUp() override {
    SavedFolder = std::filesystem::current_path();
    // App fixes its error log against the folder it starts in.
    std::filesystem::current_path(Temp.Path());
    InitVekSystem();
  }

  void TearDown() override {
    FinalizeVekSystem();
    TVekLogServer::IdleTimeoutMs = 20000;
    TVekLogServer::OnEnding = nullptr;
    std::filesystem::current_path(SavedFolder);
  }

  // Ends the framework: everything queued has been written when it returns.
  void Finish() { FinalizeVekSystem(); }

  std::string ErrorLog() const { return ReadBytes(Temp.File("Errors.Txt")); }

  static bool ServerRunning() {
    std::lock_guard<std::recursive_mutex> Guard(LogLock);
    return App->LogServer != nullptr;
  }

  // Queues the lines (file, text; no time stamp) so that the server sees
  // all of them at once: the queue's lock is held while they are pushed. A
  // server not running yet is started with a line into "Warm.log".
  void QueueTogether(const std::vector<std::pair<std::string, std::string>>& Lines, int32_t MaxSize,
                     bool KeepTail) {
    std::lock_guard<std::recursive_mutex> Guard(LogLock);
    if (!App->LogServer)
      App->AddLogLine(Temp.File("Warm.log"), "warm", std::nullopt, 0, true);
    TVekThreadStringQueue& Queue = App->LogServer->Queue;
    Queue.Lock();
    for (const auto& [FileName, Text] : Lines)
      App->AddLogLine(FileName, Text, std::nullopt, MaxSize, KeepTail);
    Queue.Unlock();
  }

  TTempDir Temp;
  std::filesystem::path SavedFolder;
};
