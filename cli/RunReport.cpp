#include "RunReport.h"

#include "VekExceptions.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

std::string Quoted(const std::string& Text) {
  std::string Result = "\"";
  for (const char Ch : Text) {
    if (Ch == '"' || Ch == '\\') {
      Result += '\\';
      Result += Ch;
    } else if (static_cast<unsigned char>(Ch) < 0x20) {
      char Escape[8];
      std::snprintf(Escape, sizeof Escape, "\\u%04x", Ch);
      Result += Escape;
    } else {
      Result += Ch;
    }
  }
  return Result + "\"";
}

// Enough digits to give the transform back to a small part of a pixel.
std::string Number(double Value) {
  char Text[32];
  std::snprintf(Text, sizeof Text, "%.12g", Value);
  return Text;
}

std::string Matrix(const TTransform& M) {
  std::string Result = "[";
  for (size_t Row = 0; Row < 3; ++Row) {
    Result.append(Row ? ",[" : "[");
    for (size_t Column = 0; Column < 3; ++Column) {
      if (Column)
        Result.append(",");
      Result.append(Number(M[Row * 3 + Column]));
    }
    Result.append("]");
  }
  Result.append("]");
  return Result;
}

} // namespace

std::string ReportJson(const TRunReport& Report) {
  const TCropRect& C = Report.Crop;
  std::string Json = "{\"result\": {\"width\": " + std::to_string(Report.Width) +
                     ", \"height\": " + std::to_string(Report.Height) + ", \"crop\": [" +
                     std::to_string(C.X) + ", " + std::to_string(C.Y) + ", " +
                     std::to_string(C.Width) + ", " + std::to_string(C.Height) +
                     "]},\n \"files\": [";
  for (size_t I = 0; I < Report.Files.size(); ++I) {
    const TReportedFile& File = Report.Files[I];
    if (I)
      Json.append(",\n  ");
    Json.append("{\"name\": ").append(Quoted(File.Name));
    Json.append(", \"transform\": ").append(Matrix(File.Placement.Transform));
    Json.append(", \"inliers\": ").append(std::to_string(File.Placement.Inliers));
    Json.append(", \"residual_px\": ").append(Number(File.Placement.Residual)).append("}");
  }
  return Json + "]}\n";
}

void WriteReport(const std::string& FileName, const TRunReport& Report) {
  std::ofstream Out(FileName, std::ios::binary | std::ios::trunc);
  Out << ReportJson(Report);
  Out.close();
  if (!Out)
    throw Exception("Der Bericht '" + FileName + "' kann nicht geschrieben werden",
                    std::strerror(errno));
}
