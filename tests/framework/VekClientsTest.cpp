#include "VekClients.h"
#include "RecordingPlatform.h"
#include "TempDir.h"
#include "VekExceptions.h"
#include "VekList.h"
#include "VekSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using TLog = std::vector<std::string>;

// The object a handler is bound to: logs its name and then runs Action.
struct TScript {
  TLog* Log = nullptr;
  std::string Name;
  std::function<void()> Action;

  void Run(const std::string& Entry) {
    Log->push_back(Entry);
    if (Action)
      Action();
  }
  void Idle(TVekIdleClient&, bool&) { Run(Name); }
  void OtherIdle(TVekIdleClient&, bool&) { Run(Name + "'"); }
  void Message(TVekMessage&, bool&) { Run(Name); }
};

class VekClients : public ::testing::Test {
protected:
  void SetUp() override {
    SavedFolder = std::filesystem::current_path();
    std::filesystem::current_path(Temp.Path());
    InitVekSystem();
    App->OnError = [this](TVekApp&, std::string& Source, bool& Report, std::string& Info,
                          std::string& Text) {
      Reports.push_back(Source + "|" + Text + "|" + Info);
      Report = KeepReports;
    };
  }

  void TearDown() override {
    Idle.clear();
    Messages.clear();
    FinalizeVekSystem();
    std::filesystem::current_path(SavedFolder);
  }

  TScript& Script(const std::string& Name) {
    Scripts.push_back(std::make_unique<TScript>(TScript{&Log, Name, nullptr}));
    return *Scripts.back();
  }

  // A registered idle client named Name; the script stays reachable.
  TScript& AddIdle(const std::string& Name) {
    TScript& S = Script(Name);
    Idle.push_back(std::make_unique<TVekIdleClient>());
    Idle.back()->SetOnIdle(BindHandler<&TScript::Idle>(S));
    return S;
  }

  TScript& AddMessage(const std::string& Name) {
    TScript& S = Script(Name);
    Messages.push_back(std::make_unique<TVekMessageClient>());
    Messages.back()->SetOnMessage(BindHandler<&TScript::Message>(S));
    return S;
  }

  TLog Pass() {
    Log.clear();
    Recorder().FireIdle();
    return Log;
  }

  TRecordingPlatform& Recorder() { return Installed.Recorder; }

  TInstalledRecordingPlatform Installed;
  TTempDir Temp;
  std::filesystem::path SavedFolder;
  TLog Log;
  TLog Reports;
  bool KeepReports = false;
  std::vector<std::unique_ptr<TScript>> Scripts;
  std::vector<std::unique_ptr<TVekIdleClient>> Idle;
  std::vector<std::unique_ptr<TVekMessageClient>> Messages;
};

} // namespace

TEST_F(VekClients, RegisteredExactlyWhileAHandlerIsSet) {
  EXPECT_FALSE(App->IdleClients);
  AddIdle("A");
  AddIdle("B");
  ASSERT_TRUE(App->IdleClients);
  EXPECT_EQ(App->IdleClients->Count(), 2);
  EXPECT_EQ(Recorder().EventChanges(), (TLog{"Exception installed", "Idle installed"}));
  EXPECT_EQ(Pass(), (TLog{"A", "B"}));

  Idle[0]->SetOnIdle({});
  EXPECT_EQ(Pass(), (TLog{"B"}));
  // Destroying the last client releases the list and clears the event.
  Idle.pop_back();
  EXPECT_FALSE(App->IdleClients);
  EXPECT_FALSE(Recorder().HasIdleEvent());

  // Registering again starts a fresh list and installs the event again.
  Idle[0]->SetOnIdle(BindHandler<&TScript::Idle>(*Scripts[0]));
  EXPECT_TRUE(Recorder().HasIdleEvent());
  EXPECT_EQ(Recorder().EventChanges(),
            (TLog{"Exception installed", "Idle installed", "Idle cleared", "Idle installed"}));
  EXPECT_EQ(Pass(), (TLog{"A"}));
  EXPECT_TRUE(Reports.empty());
}

TEST_F(VekClients, SameRoutineOnAnotherObjectChangesNothing) {
  AddIdle("A");
  TScript& Other = Script("Other");
  Idle[0]->SetOnIdle(BindHandler<&TScript::Idle>(Other));
  EXPECT_EQ(Idle[0]->OnIdle().Object, Scripts[0].get());
  EXPECT_EQ(Pass(), (TLog{"A"}));

  // Another routine replaces the handler, and the client stays listed once.
  Idle[0]->SetOnIdle(BindHandler<&TScript::OtherIdle>(Other));
  EXPECT_EQ(App->IdleClients->Count(), 1);
  EXPECT_EQ(Pass(), (TLog{"Other'"}));
  EXPECT_EQ(Recorder().EventChanges(), (TLog{"Exception installed", "Idle installed"}));
}

TEST_F(VekClients, HandlerClearingItsOwnClientSkipsNobody) {
  AddIdle("A");
  AddIdle("B").Action = [this] { Idle[1]->SetOnIdle({}); };
  AddIdle("C");
  EXPECT_EQ(Pass(), (TLog{"A", "B", "C"}));
  EXPECT_EQ(Pass(), (TLog{"A", "C"}));
}

TEST_F(VekClients, LastClientClearingItselfEndsThePass) {
  AddIdle("A").Action = [this] { Idle[0]->SetOnIdle({}); };
  EXPECT_EQ(Pass(), (TLog{"A"}));
  EXPECT_FALSE(App->IdleClients);
  EXPECT_FALSE(Recorder().HasIdleEvent());
  EXPECT_EQ(Recorder().EventChanges().back(), "Idle cleared");
}

TEST_F(VekClients, RemovingAClientFurtherDownRepeatsTheCurrentOne) {
  AddIdle("A").Action = [this] { Idle[2]->SetOnIdle({}); };
  AddIdle("B");
  AddIdle("C");
  EXPECT_EQ(Pass(), (TLog{"A", "A", "B"}));
}

TEST_F(VekClients, RemovingAClientFurtherUpNeitherRepeatsNorSkips) {
  AddIdle("A");
  AddIdle("B");
  AddIdle("C").Action = [this] { Idle[0]->SetOnIdle({}); };
  AddIdle("D");
  // C's removal of A moves C to B's old place; the position stays, so the
  // next call is D.
  EXPECT_EQ(Pass(), (TLog{"A", "B", "C", "D"}));
  EXPECT_EQ(Pass(), (TLog{"B", "C", "D"}));
}

TEST_F(VekClients, ClientAddedDuringAPassIsCalledInIt) {
  TScript& Late = Script("Late");
  auto LateClient = std::make_unique<TVekIdleClient>();
  AddIdle("A").Action = [&] {
    if (LateClient)
      LateClient->SetOnIdle(BindHandler<&TScript::Idle>(Late));
  };
  AddIdle("B");
  EXPECT_EQ(Pass(), (TLog{"A", "B", "Late"}));
  LateClient.reset();
  EXPECT_EQ(Pass(), (TLog{"A", "B"}));
}

TEST_F(VekClients, RemovingAClientOfTheOtherKindHoldsThePassOnce) {
  AddMessage("M");
  AddIdle("A").Action = [this] { Messages[0]->SetOnMessage({}); };
  AddIdle("B");
  EXPECT_EQ(Pass(), (TLog{"A", "A", "B"}));
  EXPECT_FALSE(App->MessageClients);
  EXPECT_FALSE(Recorder().HasMessageEvent());
}

TEST_F(VekClients, EventArgumentsPassThroughEveryClient) {
  AddIdle("A");
  TVekIdleClient* Seen = nullptr;
  struct TDoneSetter {
    TVekIdleClient** Seen;
    void Idle(TVekIdleClient& Sender, bool& Done) {
      *Seen = &Sender;
      Done = false;
    }
  } Setter{&Seen};
  TVekIdleClient Client;
  Client.SetOnIdle(BindHandler<&TDoneSetter::Idle>(Setter));
  EXPECT_FALSE(Recorder().FireIdle());
  EXPECT_EQ(Seen, &Client);

  // Handled set by one handler does not stop the others; Msg is in-out.
  struct TMarker {
    TLog* Log;
    void Message(TVekMessage& Msg, bool& Handled) {
      Log->push_back("kind " + std::to_string(Msg.Kind) + (Handled ? " handled" : ""));
      Msg.Kind += 1;
      Handled = true;
    }
  } First{&Log}, Second{&Log};
  TVekMessageClient C1, C2;
  C1.SetOnMessage(BindHandler<&TMarker::Message>(First));
  C2.SetOnMessage(BindHandler<&TMarker::Message>(Second));
  TVekMessage Msg;
  Msg.Kind = 7;
  Log.clear();
  EXPECT_TRUE(Recorder().FireMessage(Msg));
  EXPECT_EQ(Log, (TLog{"kind 7", "kind 8 handled"}));
  EXPECT_EQ(Msg.Kind, 9);
}

TEST_F(VekClients, HandlerFailuresAreReportedAndTheDispatchGoesOn) {
  AddIdle("A").Action = [] { throw Exception("idle broke"); };
  AddIdle("B");
  AddMessage("M").Action = [] { throw std::runtime_error("message broke"); };
  AddMessage("N");
  EXPECT_EQ(Pass(), (TLog{"A", "B"}));
  TVekMessage Msg;
  Log.clear();
  Recorder().FireMessage(Msg);
  EXPECT_EQ(Log, (TLog{"M", "N"}));
  EXPECT_EQ(Reports, (TLog{"OnIdle|(Exception)\r\nidle broke|",
                           "OnMessage|(std::runtime_error)\r\nmessage broke|"}));
}

TEST_F(VekClients, SilentAbortEndsThePassUnreported) {
  AddIdle("A").Action = [] { Abort(); };
  AddIdle("B");
  AddMessage("M").Action = [] { Abort(); };
  AddMessage("N");
  Log.clear();
  EXPECT_THROW(Recorder().FireIdle(), EAbort);
  TVekMessage Msg;
  EXPECT_THROW(Recorder().FireMessage(Msg), EAbort);
  EXPECT_EQ(Log, (TLog{"A", "M"}));
  EXPECT_TRUE(Reports.empty());
}

namespace {

// A client whose own dispatch step fails, outside the handler's guard.
class TBrokenClient : public TVekIdleClient {
public:
  void DoIdle(bool&) override { throw EVekListError("broken client"); }
};

} // namespace

TEST_F(VekClients, FailureInTheDispatchEndsThePass) {
  TBrokenClient Broken;
  Broken.SetOnIdle(BindHandler<&TScript::Idle>(Script("unused")));
  AddIdle("B");
  EXPECT_EQ(Pass(), TLog{});
  EXPECT_EQ(Reports, (TLog{"App.OnIdle|(EVekListError)\r\nbroken client|"}));
}

TEST_F(VekClients, UncaughtExceptionsBecomeOneLogLine) {
  KeepReports = true;
  Recorder().FireException("  TFormMain2 ", std::make_exception_ptr(EJPEG("bad marker")));
  Recorder().FireException("TFormMain2", std::make_exception_ptr(EAbort()));
  EXPECT_EQ(Reports, (TLog{"Global Exception in Class TFormMain2|(EJPEG)\r\nbad marker|"}));

  // Ending the framework waits until the log server has written the line.
  FinalizeVekSystem();
  const std::string Written = ReadBytes(Temp.File("Errors.Txt"));
  EXPECT_NE(Written.find("\\Global Exception in Class TFormMain2: (EJPEG)      bad marker    \r\n"),
            std::string::npos)
      << Written;
  EXPECT_EQ(Written.find("EAbort"), std::string::npos);
}
