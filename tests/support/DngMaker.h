#pragma once
// Small camera raw files for the tests: DNGs with a 2 x 2 RGGB colour
// filter, one 16-bit sample per pixel, written through libtiff. The colour
// matrix is that of linear sRGB, so the camera's channels are sRGB's.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Linear light at a pixel, per channel, as a fraction of full scale: 1 is
// the white level after white balance.
using TScene = std::function<std::array<double, 3>(uint32_t X, uint32_t Y)>;

struct TDngPicture {
  uint32_t Width = 0;
  uint32_t Height = 0;
  uint16_t Black = 256;
  uint16_t White = 4095;
  // The camera's response to neutral light per channel; green is the
  // largest, so a grey of level g reads g x 65535 in every channel.
  std::array<double, 3> Neutral = {0.5, 1.0, 0.7};
  uint16_t Orientation = 1;
  std::string Make = "Velmora";
  std::string Model = "Test Camera";
  std::string Artist;
  std::string DateTime; // "YYYY:MM:DD HH:MM:SS"; empty: none
  // Width x Height raw samples, row by row.
  std::vector<uint16_t> Samples;

  // The samples a sensor behind the filter records of Scene: black level
  // plus light x neutral x (white - black), rounded, at most 65535. LibRaw
  // takes no picture narrower or lower than 22 pixels.
  static TDngPicture Of(uint32_t Width, uint32_t Height, const TScene& Scene, uint16_t Black = 256,
                        uint16_t White = 4095);
  // The filter's channel at a pixel: 0 red, 1 green, 2 blue.
  static int ChannelAt(uint32_t X, uint32_t Y);
};

// Throws std::runtime_error when libtiff refuses.
void WriteDng(const std::string& FileName, const TDngPicture& Picture);
// A grey of level Level everywhere.
TScene FlatGrey(double Level);
