#pragma once
// Every text the image files' readers and writer fail with, in one place.
// Each is the message of the exception the reader or writer raises; the
// TIFF entry points named Internal… hand theirs back through Failed and
// Message instead.
#include <string>

inline const std::string MsgOutOfMemory = "Out of memory";
inline const std::string MsgUnexpected = "Unexpected error";
inline const std::string MsgNoImageWidth = "Missing ImageWidth tag, unable to read image";
inline const std::string MsgNoImageHeight = "Missing ImageHeight tag, unable to read image";
inline const std::string MsgNoRowsPerStrip = "Missing RowsPerStrip tag, unable to read image";
inline const std::string MsgNoTileWidth = "Missing TileWidth tag, unable to read image";
inline const std::string MsgNoTileLength = "Missing TileLength tag, unable to read image";

inline std::string MsgCannotOpenTiff(const std::string& FileName) {
  return "Unable to open input TIFF file '" + FileName + "'";
}
inline std::string MsgCannotCreateTiff(const std::string& FileName) {
  return "Unable to create output TIFF file '" + FileName + "'";
}

// A decoding asked for without a file loaded: a fault of the caller.
inline const std::string MsgJpegNotLoaded = "No JPEG file loaded to decode";

inline std::string MsgJpegError(int Code) {
  return "JPEG error #" + std::to_string(Code);
}
// Reason: the system's description of the error number.
inline std::string MsgCannotOpenFile(const std::string& FileName, const std::string& Reason) {
  return "Cannot open file \"" + FileName + "\". " + Reason;
}
inline std::string MsgReadError(const std::string& FileName, const std::string& Reason) {
  return "Read error in \"" + FileName + "\". " + Reason;
}
