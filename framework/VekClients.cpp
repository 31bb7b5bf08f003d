// The clients, and App's uncaught-exception handler and client registries.
#include "VekClients.h"

#include "VekApp.h"
#include "VekExceptions.h"
#include "VekList.h"
#include "VekUtil.h"

namespace {

void AddClient(std::unique_ptr<TVekList>& Clients, void* Client,
               const std::function<void()>& InstallEvent) {
  if (!Clients) {
    Clients = std::make_unique<TVekList>();
    InstallEvent();
  }
  Clients->Add(Client);
}

void RemoveClient(bool& ClientsChanged, std::unique_ptr<TVekList>& Clients, const void* Client,
                  const std::function<void()>& ClearEvent) {
  ClientsChanged = true;
  if (!Clients)
    return;
  Clients->Remove(Client);
  if (Clients->Count() == 0) {
    // A handler that was there before the first client is not restored.
    ClearEvent();
    Clients.reset();
  }
}

// Calls every client in order. A client removed during its call has let
// the ones behind it move up a place, so the position then stays; the list
// and its end are read afresh at every step because a call may change both.
template <class TClient, class TCall>
void Dispatch(bool& ClientsChanged, const std::unique_ptr<TVekList>& Clients, TCall Call) {
  int I = 0;
  while (Clients && I <= Clients->LastIndex()) {
    ClientsChanged = false;
    if (auto* Client = static_cast<TClient*>(Clients->Items(I)))
      Call(*Client);
    if (!ClientsChanged)
      ++I;
  }
}

} // namespace

// ---------------------------------------------------------------------------

TVekIdleClient::~TVekIdleClient() {
  SetOnIdle({});
}

void TVekIdleClient::SetOnIdle(const TVekIdleHandler& New) {
  if (New.SameRoutine(FOnIdle))
    return;
  // Without App (before the framework starts, after it ends) there is no
  // registry to keep.
  if (App && FOnIdle && !New)
    App->RemoveIdleClient(this);
  if (App && !FOnIdle && New)
    App->AddIdleClient(this);
  FOnIdle = New;
}

void TVekIdleClient::DoIdle(bool& Done) {
  if (!FOnIdle)
    return;
  try {
    FOnIdle(*this, Done);
  } catch (const std::exception&) {
    if (!App)
      throw;
    App->ReportError("OnIdle", "");
  }
}

TVekMessageClient::~TVekMessageClient() {
  SetOnMessage({});
}

void TVekMessageClient::SetOnMessage(const TVekMessageHandler& New) {
  if (New.SameRoutine(FOnMessage))
    return;
  if (App && FOnMessage && !New)
    App->RemoveMessageClient(this);
  if (App && !FOnMessage && New)
    App->AddMessageClient(this);
  FOnMessage = New;
}

void TVekMessageClient::DoMessage(TVekMessage& Msg, bool& Handled) {
  if (!FOnMessage)
    return;
  try {
    FOnMessage(Msg, Handled);
  } catch (const std::exception&) {
    if (!App)
      throw;
    App->ReportException("OnMessage", std::current_exception(), "");
  }
}

// ---------------------------------------------------------------------------

void TVekApp::HandleAppException(const std::string& SenderClass, std::exception_ptr E) {
  if (DescribeException(E).Kind == TExceptionDescription::SilentAbort)
    return;
  ReportException("Global Exception in Class " + Trim(SenderClass), E, "");
}

void TVekApp::AddIdleClient(TVekIdleClient* Client) {
  try {
    if (!Client)
      return;
    AddClient(IdleClients, Client, [] {
      Platform().SetIdleEvent([](bool& Done) {
        if (App)
          App->OnIdle(Done);
      });
    });
  } catch (const std::exception&) {
    ReportError("App.AddIdleClient", "");
  }
}

void TVekApp::RemoveIdleClient(TVekIdleClient* Client) {
  try {
    RemoveClient(ClientsChanged, IdleClients, Client, [] { Platform().SetIdleEvent(nullptr); });
  } catch (const std::exception&) {
    ReportError("App.RemoveIdleClient", "");
  }
}

void TVekApp::AddMessageClient(TVekMessageClient* Client) {
  try {
    if (!Client)
      return;
    AddClient(MessageClients, Client, [] {
      Platform().SetMessageEvent([](TVekMessage& Msg, bool& Handled) {
        if (App)
          App->OnMessage(Msg, Handled);
      });
    });
  } catch (const std::exception&) {
    ReportError("App.AddMessageClient", "");
  }
}

void TVekApp::RemoveMessageClient(TVekMessageClient* Client) {
  try {
    RemoveClient(ClientsChanged, MessageClients, Client,
                 [] { Platform().SetMessageEvent(nullptr); });
  } catch (const std::exception&) {
    ReportError("App.RemoveMessageClient", "");
  }
}

// A silent abort from a handler passes every catch here: ReportError
// raises it again, so it ends the pass unreported.
void TVekApp::OnIdle(bool& Done) {
  try {
    Dispatch<TVekIdleClient>(ClientsChanged, IdleClients,
                             [&](TVekIdleClient& Client) { Client.DoIdle(Done); });
  } catch (const std::exception&) {
    ReportError("App.OnIdle", "");
  }
}

void TVekApp::OnMessage(TVekMessage& Msg, bool& Handled) {
  try {
    Dispatch<TVekMessageClient>(ClientsChanged, MessageClients,
                                [&](TVekMessageClient& Client) { Client.DoMessage(Msg, Handled); });
  } catch (const std::exception&) {
    ReportError("App.OnMessage", "");
  }
}
