#include "VekReport.h"

#include "VekExceptions.h"

#include <atomic>
#include <cstdio>

namespace {

void ReportToStderr(const std::string& Source, const std::string& Info) {
  const TExceptionDescription Described = DescribeException(std::current_exception());
  if (Described.Kind == TExceptionDescription::SilentAbort)
    throw;
  std::fprintf(stderr, "%s: %s    %s\n", Source.c_str(), Described.ReportText(" ").c_str(),
               Info.c_str());
}

std::atomic<TReportErrorHandler> Handler{ReportToStderr};

} // namespace

void SetReportErrorHandler(TReportErrorHandler NewHandler) {
  Handler.store(NewHandler ? NewHandler : ReportToStderr);
}

void ReportError(const std::string& Source, const std::string& Info) {
  Handler.load()(Source, Info);
}
