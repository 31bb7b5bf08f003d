#include "CliOptions.h"

#include "RunThreads.h"

namespace {

bool ParseCompression(const std::string& Name, TTiffCompression& Compression) {
  if (Name == "none")
    Compression = tcNone;
  else if (Name == "lzw")
    Compression = tcLZW;
  else if (Name == "deflate")
    Compression = tcDeflate;
  else
    return false;
  return true;
}

bool ParseLayout(const std::string& Name, TSaveLayout& Layout) {
  if (Name == "tiles")
    Layout = slTiles;
  else if (Name == "strips")
    Layout = slStrips;
  else
    return false;
  return true;
}

// Matches "-s VALUE", "--long VALUE" and "--long=VALUE"; I advances past
// what it consumed. False when Arg is not this option.
bool TakeValue(const std::vector<std::string>& Args, size_t& I, const std::string& Short,
               const std::string& Long, std::string& Value, bool& Missing) {
  const std::string& Arg = Args[I];
  if (Arg.rfind(Long + "=", 0) == 0) {
    Value = Arg.substr(Long.size() + 1);
    return true;
  }
  if (Arg != Short && Arg != Long)
    return false;
  Missing = I + 1 >= Args.size();
  if (!Missing)
    Value = Args[++I];
  return true;
}

} // namespace

bool ParseCliOptions(const std::vector<std::string>& Args, TCliOptions& Options,
                     std::string& Error) {
  bool OptionsEnded = false;
  bool HaveOutput = false;
  for (size_t I = 0; I < Args.size(); ++I) {
    const std::string& Arg = Args[I];
    if (OptionsEnded || Arg.size() < 2 || Arg[0] != '-') {
      Options.Inputs.push_back(Arg);
      continue;
    }
    std::string Value;
    bool Missing = false;
    if (Arg == "--") {
      OptionsEnded = true;
    } else if (Arg == "-h" || Arg == "--help") {
      Options.Help = true;
    } else if (Arg == "--version") {
      Options.Version = true;
    } else if (Arg == "-f" || Arg == "--force") {
      Options.Force = true;
    } else if (Arg == "-q" || Arg == "--quiet") {
      Options.Quiet = true;
    } else if (Arg == "--float") {
      Options.Float = true;
    } else if (Arg == "-a" || Arg == "--align") {
      Options.Align = true;
    } else if (TakeValue(Args, I, "", "--report", Value, Missing)) {
      if (Missing || Value.empty()) {
        Error = "option " + Arg + " needs a file name";
        return false;
      }
      Options.Report = Value;
    } else if (TakeValue(Args, I, "-o", "--output", Value, Missing)) {
      if (Missing || Value.empty()) {
        Error = "option " + Arg + " needs a file name";
        return false;
      }
      Options.Output = Value;
      HaveOutput = true;
    } else if (TakeValue(Args, I, "-c", "--compression", Value, Missing)) {
      if (Missing || !ParseCompression(Value, Options.Compression)) {
        Error = "option " + Arg + " takes none, lzw or deflate";
        return false;
      }
    } else if (TakeValue(Args, I, "-j", "--threads", Value, Missing)) {
      if (Missing || !ParseThreadCount(Value, Options.Threads)) {
        Error = "option " + Arg + " takes a number of threads from 1 to " +
                std::to_string(MaxRunThreads);
        return false;
      }
    } else if (TakeValue(Args, I, "-l", "--layout", Value, Missing)) {
      if (Missing || !ParseLayout(Value, Options.Layout)) {
        Error = "option " + Arg + " takes tiles or strips";
        return false;
      }
    } else {
      Error = "unknown option " + Arg;
      return false;
    }
  }
  if (Options.Help || Options.Version)
    return true;
  if (!HaveOutput) {
    Error = "the output file is missing (-o OUTPUT)";
    return false;
  }
  if (Options.Inputs.size() < 2) {
    Error = "wählen Sie bitte mindestens zwei Dateien aus";
    return false;
  }
  return true;
}

std::string CliVersion() {
  return "velmora-stack " VELMORA_VERSION "\n";
}

std::string CliUsage() {
  return CliVersion() + "\n" +
         "Usage: velmora-stack [-f|--force] [-c|--compression none|lzw|deflate]\n"
         "                     [-l|--layout tiles|strips] [--float] [-q|--quiet]\n"
         "                     [-j|--threads N] [-a|--align] [--report FILE]\n"
         "                     -o OUTPUT INPUT INPUT...\n"
         "\n"
         "Adds two or more exposures of one scene (JPEG and TIFF files of one size, side by\n"
         "side, or camera raw files in linear light) pixel by pixel and writes the sum as a\n"
         "16-bit RGB TIFF file, scaled so that its brightest sample is 65535 or 65534. The\n"
         "first input's ICC profile and its camera, lens, date, author and copyright fields\n"
         "go with it.\n"
         "\n"
         "  -o, --output OUTPUT   the TIFF file to write; \".tif\" is appended to a name\n"
         "                        without extension\n"
         "  -f, --force           replace OUTPUT when it exists\n"
         "  -c, --compression C   none (default), lzw or deflate\n"
         "  -l, --layout L        tiles (default): 256 x 256 tiles, as the window writes;\n"
         "                        strips: the same picture in strips of whole rows, for\n"
         "                        programs that read no tiled TIFF (RawTherapee, Hugin,\n"
         "                        enfuse)\n"
         "      --float           32-bit float samples instead of 16-bit ones: each sum\n"
         "                        divided by the largest, so the brightest is 1.0\n"
         "  -q, --quiet           no progress lines\n"
         "  -j, --threads N       read N files at once (default: VELMORA_THREADS, else\n"
         "                        the number of cores); 1 reads each file at its turn\n"
         "  -a, --align           align every input to the first before it is added\n"
         "                        (hand-held brackets); the result keeps only the area\n"
         "                        every input covers. An input that cannot be aligned\n"
         "                        ends the run. Inputs that need no move are added as\n"
         "                        read\n"
         "      --report FILE     write a JSON report: the result's size, the rectangle\n"
         "                        written and each input's transform onto the first\n"
         "  -h, --help            this text\n"
         "      --version         the program's name and version\n"
         "\n"
         "Exit status: 0 done, 1 the run failed, 2 wrong usage.\n";
}
