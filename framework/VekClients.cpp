// The idle and message clients.
#include "VekClients.h"

#include "VekReport.h"

#include <exception>
#include <string>

TVekClientHooks ClientHooks;

namespace {

// A handler with the current routine changes nothing. Otherwise the new
// one replaces it, and the application object hears when the client gains
// its first handler or loses its last; before the framework starts and
// after it ends there is no registry to keep.
template <class TClient, class THandler, class THook>
void ChangeHandler(TClient* Client, THandler& Current, const THandler& New, const THook& Changed) {
  if (New.SameRoutine(Current))
    return;
  if (Changed && !Current != !New)
    Changed(Client, static_cast<bool>(New));
  Current = New;
}

// A failure of the handler is reported under Source while the framework
// runs and passes on without it.
template <class THandler, class THook, class... TArgs>
void CallHandler(const THandler& Handler, const THook& Changed, const std::string& Source,
                 TArgs&... Args) {
  if (!Handler)
    return;
  try {
    Handler(Args...);
  } catch (const std::exception&) {
    if (!Changed)
      throw;
    ReportError(Source, "");
  }
}

} // namespace

TVekIdleClient::~TVekIdleClient() {
  SetOnIdle({});
}

void TVekIdleClient::SetOnIdle(const TVekIdleHandler& New) {
  ChangeHandler(this, FOnIdle, New, ClientHooks.IdleClientChanged);
}

void TVekIdleClient::DoIdle(bool& Done) {
  CallHandler(FOnIdle, ClientHooks.IdleClientChanged, "OnIdle", *this, Done);
}

TVekMessageClient::~TVekMessageClient() {
  SetOnMessage({});
}

void TVekMessageClient::SetOnMessage(const TVekMessageHandler& New) {
  ChangeHandler(this, FOnMessage, New, ClientHooks.MessageClientChanged);
}

void TVekMessageClient::DoMessage(TVekMessage& Msg, bool& Handled) {
  CallHandler(FOnMessage, ClientHooks.MessageClientChanged, "OnMessage", Msg, Handled);
}
