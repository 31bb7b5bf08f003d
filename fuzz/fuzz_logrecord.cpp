// Log records as the log server splits them: five fields taken off the
// front at "*", the rest the line. The fields joined by "*" must give the
// record back, and a record built from an encoded file name must split
// into the same name and line.
#include "FuzzSupport.h"
#include "VekLogServer.h"
#include "VekUtil.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

constexpr size_t FieldCount = 6;
using TFields = std::array<std::string, FieldCount>;

TFields Split(std::string Record) {
  TFields Fields;
  for (size_t I = 0; I + 1 < FieldCount; ++I)
    GetParam(Record, "*", Fields[I]);
  Fields[FieldCount - 1] = Record;
  return Fields;
}

std::string Join(const TFields& Fields, size_t Count) {
  std::string Out = Fields[0];
  for (size_t I = 1; I < Count; ++I)
    Out += "*" + Fields[I];
  return Out;
}

// The conversions the server applies to the flag and size fields.
void Convert(const TFields& Fields) {
  (void)BVal(Fields[1]);
  (void)IVal(Fields[2]);
  (void)BVal(Fields[3]);
  (void)Trim(Fields[4]);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  detail::AbortOnReport();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string Record(reinterpret_cast<const char*>(Data), Size);
  const TFields Fields = Split(Record);
  Convert(Fields);
  size_t Delimiters = 0;
  for (const char Ch : Record)
    Delimiters += Ch == '*' ? 1 : 0;
  if (Delimiters >= FieldCount - 1) {
    detail::Require(Join(Fields, FieldCount) == Record, "fields do not join to the record");
  } else {
    detail::Require(Join(Fields, Delimiters + 1) == Record, "fields do not join to the record");
    for (size_t I = Delimiters + 1; I < FieldCount; ++I)
      detail::Require(Fields[I].empty(), "a field beyond the record is not empty");
  }

  // The input as a file name and a line, encoded the way the application
  // object builds its records.
  const size_t Half = Record.size() / 2;
  const std::string Name = Record.substr(0, Half);
  const std::string Line = Record.substr(Half);
  const std::string Encoded = detail::EncodeLogFileName(Name);
  detail::Require(Encoded.find('*') == std::string::npos, "an encoded name holds a delimiter");
  detail::Require(detail::DecodeLogFileName(Encoded) == Name, "a name does not survive encoding");
  const TFields Built = Split(Encoded + "*False*10000000*True*08.12.2026 10:00:00*" + Line);
  detail::Require(detail::DecodeLogFileName(Built[0]) == Name && Built[5] == Line,
                  "a built record does not split into its name and line");
  detail::Require(!BVal(Built[1]) && IVal(Built[2]) == 10000000 && BVal(Built[3]),
                  "a built record's flags or size changed");
  return 0;
}
