#pragma once
// The one entry point through which the framework's catching functions
// report a failure. The application object installs its ReportError here;
// before that (and in programs without one) reports go to stderr.
#include <string>

using TReportErrorHandler = void (*)(const std::string& Source, const std::string& Info);

void SetReportErrorHandler(TReportErrorHandler Handler);

// Reports the exception currently being handled (if any) under Source.
// A silent abort passes through: it is raised again.
void ReportError(const std::string& Source, const std::string& Info);
