#pragma once
// How many files a run holds in memory at once.
#include <cstdint>

// Files in memory at once beside the sums: the one being added and those
// read ahead, for Threads reading threads and pictures of Pixels pixels
// whose buffers take BytesPerPixel each (3 for a decoded JPEG, 6 for the
// planes of a TIFF, 16 while a raw file is decoded). Together the buffers
// take at most 6 bytes per pixel per thread (BytesPerPixel when larger:
// each thread holds at least its own file), and at most half of what
// Available leaves beside the 12
// bytes per pixel of the sums; yet one file is always held. More than
// Threads + 1 would be read no sooner; one thread holds one file.
int ReadAheadSlots(int Threads, int64_t Pixels, int BytesPerPixel, int64_t Available);

// The memory the system can give now without swapping, in bytes.
int64_t AvailableMemory();
