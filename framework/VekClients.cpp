// The idle and message clients.
#include "VekClients.h"

#include "VekReport.h"

#include <exception>

TVekClientHooks ClientHooks;

// ---------------------------------------------------------------------------

TVekIdleClient::~TVekIdleClient() {
  SetOnIdle({});
}

void TVekIdleClient::SetOnIdle(const TVekIdleHandler& New) {
  if (New.SameRoutine(FOnIdle))
    return;
  // Before the framework starts and after it ends there is no registry
  // to keep.
  if (ClientHooks.IdleClientChanged && !FOnIdle != !New)
    ClientHooks.IdleClientChanged(this, static_cast<bool>(New));
  FOnIdle = New;
}

void TVekIdleClient::DoIdle(bool& Done) {
  if (!FOnIdle)
    return;
  try {
    FOnIdle(*this, Done);
  } catch (const std::exception&) {
    if (!ClientHooks.IdleClientChanged)
      throw;
    ReportError("OnIdle", "");
  }
}

TVekMessageClient::~TVekMessageClient() {
  SetOnMessage({});
}

void TVekMessageClient::SetOnMessage(const TVekMessageHandler& New) {
  if (New.SameRoutine(FOnMessage))
    return;
  if (ClientHooks.MessageClientChanged && !FOnMessage != !New)
    ClientHooks.MessageClientChanged(this, static_cast<bool>(New));
  FOnMessage = New;
}

void TVekMessageClient::DoMessage(TVekMessage& Msg, bool& Handled) {
  if (!FOnMessage)
    return;
  try {
    FOnMessage(Msg, Handled);
  } catch (const std::exception&) {
    if (!ClientHooks.MessageClientChanged)
      throw;
    ReportError("OnMessage", "");
  }
}
