#pragma once
// The framework's toolbox of free functions: text scanning and splitting,
// tolerant conversions, whole-file helpers, settings files by file name and
// a few platform wrappers. Texts hold UTF-8 bytes; positions are 1-based,
// 0 meaning "not found".
#include "VekConvert.h"
#include "VekEnvironment.h"
#include "VekFiles.h"
#include "VekIni.h"
#include "VekText.h"
#include "VekUpper.h"
