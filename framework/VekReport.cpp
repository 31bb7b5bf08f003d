#include "VekReport.h"

#include "VekExceptions.h"

#include <atomic>
#include <cstdio>

namespace {

void ReportToStderr(const std::string& Source, const std::string& Info) {
  std::string Text;
  if (auto Current = std::current_exception()) {
    try {
      std::rethrow_exception(Current);
    } catch (const EAbort&) {
      throw;
    } catch (const std::exception& E) {
      Text = "(" + ExceptionClassName(E) + ") " + E.what();
    } catch (...) {
      Text = "(unknown exception)";
    }
  }
  std::fprintf(stderr, "%s: %s    %s\n", Source.c_str(), Text.c_str(), Info.c_str());
}

std::atomic<TReportErrorHandler> Handler{ReportToStderr};

} // namespace

void SetReportErrorHandler(TReportErrorHandler NewHandler) {
  Handler.store(NewHandler ? NewHandler : ReportToStderr);
}

void ReportError(const std::string& Source, const std::string& Info) { Handler.load()(Source, Info); }
