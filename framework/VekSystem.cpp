#include "VekSystem.h"

#include "VekClients.h"
#include "VekReport.h"

#include <mutex>

namespace {

std::once_flag VekUtilStarted;

void ReportThroughApp(const std::string& Source, const std::string& Info) {
  // Installed only while App exists.
  App->ReportError(Source, Info);
}

} // namespace

void InitVekSystem() {
  if (App)
    return;
  AppFinalized = false;
  // Dates are always formatted "dd.MM.yyyy" here; there is no runtime
  // setting to change.
  std::call_once(VekUtilStarted, InitVekUtil);
  App = new TVekApp;
  ClientHooks.IdleClientChanged = [](TVekIdleClient* Client, bool Added) {
    Added ? App->AddIdleClient(Client) : App->RemoveIdleClient(Client);
  };
  ClientHooks.MessageClientChanged = [](TVekMessageClient* Client, bool Added) {
    Added ? App->AddMessageClient(Client) : App->RemoveMessageClient(Client);
  };
  Platform().SetExceptionEvent([](const std::string& SenderClass, std::exception_ptr E) {
    App->HandleAppException(SenderClass, E);
  });
  SetReportErrorHandler(ReportThroughApp);
}

void FinalizeVekSystem() {
  if (!App)
    return;
  AppFinalized = true;
  Platform().SetExceptionEvent(nullptr);
  SetReportErrorHandler(nullptr);
  delete App;
  App = nullptr;
  ClientHooks = {};
}
