#include "JpegDecoder.h"

#include "ImageMessages.h"
#include "JpegMeta.h"

#include "VekExceptions.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>
#include <string>

// libjpeg is C: its fatal error exit must not return, and a C++ exception
// unwinding through its frames is not guaranteed to be safe. The exit
// therefore long-jumps back into HeaderGuarded or DecodeGuarded, whose
// frames (like every frame it jumps over) holds no object with a destructor; the exception
// is raised only after that, in ordinary C++ code.

namespace {

constexpr size_t ChunkBytes = 4096;
const JOCTET FakeEoi[2] = {0xFF, JPEG_EOI};

struct TErrorManager {
  jpeg_error_mgr Pub;
  jmp_buf Jump;
};

void ErrorExit(j_common_ptr Info) {
  longjmp(reinterpret_cast<TErrorManager*>(Info->err)->Jump, 1);
}

// Warnings and traces are of no use to anyone here: a slightly damaged
// file still gives a complete picture.
void EmitMessage(j_common_ptr, int) {}
void OutputMessage(j_common_ptr) {}

// Hands the bytes to libjpeg in chunks of 4096.
struct TMemorySource {
  jpeg_source_mgr Pub;
  const JOCTET* Data;
  size_t Size;
  size_t Position;
  bool Started;
};

void InitSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr Info) {
  auto* Source = reinterpret_cast<TMemorySource*>(Info->src);
  const size_t Left = Source->Size - Source->Position;
  if (Left == 0) {
    if (!Source->Started)
      ERREXIT(Info, JERR_INPUT_EMPTY);
    // A cut-off file ends in an end-of-image marker, so the decoder
    // finishes with its own fill for the missing part.
    WARNMS(Info, JWRN_JPEG_EOF);
    Source->Pub.next_input_byte = FakeEoi;
    Source->Pub.bytes_in_buffer = sizeof FakeEoi;
    return TRUE;
  }
  const size_t Chunk = std::min(Left, ChunkBytes);
  Source->Pub.next_input_byte = Source->Data + Source->Position;
  Source->Pub.bytes_in_buffer = Chunk;
  Source->Position += Chunk;
  Source->Started = true;
  return TRUE;
}

void SkipInputData(j_decompress_ptr Info, long Count) {
  if (Count <= 0)
    return;
  jpeg_source_mgr& Source = *Info->src;
  while (Count > static_cast<long>(Source.bytes_in_buffer)) {
    Count -= static_cast<long>(Source.bytes_in_buffer);
    FillInputBuffer(Info);
  }
  Source.next_input_byte += Count;
  Source.bytes_in_buffer -= static_cast<size_t>(Count);
}

void TermSource(j_decompress_ptr) {}

// Rounded A * B / 255 for two bytes.
inline uint8_t Product255(unsigned A, unsigned B) {
  return static_cast<uint8_t>((A * B + 127) / 255);
}

// Four-component files become blue, green, red rows. Adobe writes its
// CMYK inverted (0 = full ink), other writers plain.
void CmykToBgr(const JSAMPLE* Cmyk, uint8_t* Bgr, JDIMENSION Width, bool Inverted) {
  for (JDIMENSION X = 0; X < Width; ++X, Cmyk += 4, Bgr += 3) {
    const unsigned Flip = Inverted ? 0 : 255;
    const unsigned K = Cmyk[3] ^ Flip;
    Bgr[0] = Product255(Cmyk[2] ^ Flip, K);
    Bgr[1] = Product255(Cmyk[1] ^ Flip, K);
    Bgr[2] = Product255(Cmyk[0] ^ Flip, K);
  }
}

} // namespace

namespace detail {

struct TDecoder {
  jpeg_decompress_struct Info;
  TErrorManager Error;
  TMemorySource Source;
};

} // namespace detail

namespace {

using detail::TDecoder;

void InstallSource(TDecoder& Decoder, const uint8_t* Data, int64_t Size) {
  TMemorySource& Source = Decoder.Source;
  Source.Pub.init_source = InitSource;
  Source.Pub.fill_input_buffer = FillInputBuffer;
  Source.Pub.skip_input_data = SkipInputData;
  Source.Pub.resync_to_restart = jpeg_resync_to_restart;
  Source.Pub.term_source = TermSource;
  Source.Pub.next_input_byte = nullptr;
  Source.Pub.bytes_in_buffer = 0;
  Source.Data = Data;
  Source.Size = static_cast<size_t>(Size);
  Source.Position = 0;
  Source.Started = false;
  Decoder.Info.src = &Source.Pub;
}

// The libjpeg calls up to the header. Returns 0, or the message code of
// the fatal error that ended them.
int HeaderGuarded(TDecoder& Decoder, const uint8_t* Data, int64_t Size) {
  jpeg_decompress_struct& Info = Decoder.Info;
  if (setjmp(Decoder.Error.Jump))
    return Decoder.Error.Pub.msg_code;
  jpeg_create_decompress(&Info);
  KeepMetaMarkers(&Info);
  InstallSource(Decoder, Data, Size);
  jpeg_read_header(&Info, TRUE);
  return 0;
}

// The libjpeg calls of the decoding. Returns 0, or the message code of the
// fatal error that ended it. EOutOfMemory from the bitmap and EAbort for
// Stop leave as ordinary exceptions, raised between libjpeg calls.
int DecodeGuarded(TDecoder& Decoder, TBitmap24& Bitmap, const std::atomic<bool>* Stop) {
  jpeg_decompress_struct& Info = Decoder.Info;
  if (setjmp(Decoder.Error.Jump))
    return Decoder.Error.Pub.msg_code;
  const bool FourComponents =
      Info.jpeg_color_space == JCS_CMYK || Info.jpeg_color_space == JCS_YCCK;
  Info.scale_num = 1;
  Info.scale_denom = 1;
  Info.do_block_smoothing = TRUE;
  Info.quantize_colors = FALSE;
  Info.buffered_image = FALSE;
  // Grey and colour files alike are decoded straight into bitmap order.
  Info.out_color_space = FourComponents ? JCS_CMYK : JCS_EXT_BGR;
  // Sized before the decoder allocates its own buffers, so a picture too
  // large for a bitmap costs nothing.
  Bitmap.SetSize(static_cast<int>(Info.image_width), static_cast<int>(Info.image_height));
  jpeg_start_decompress(&Info);
  JSAMPARRAY CmykRow = FourComponents
                           ? (*Info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&Info),
                                                       JPOOL_IMAGE, Info.output_width * 4, 1)
                           : nullptr;
  while (Info.output_scanline < Info.output_height) {
    if (Stop && Stop->load(std::memory_order_relaxed))
      Abort();
    uint8_t* Target = Bitmap.Row(static_cast<int>(Info.output_scanline));
    if (FourComponents) {
      jpeg_read_scanlines(&Info, CmykRow, 1);
      CmykToBgr(CmykRow[0], Target, Info.output_width, Info.saw_Adobe_marker);
    } else {
      jpeg_read_scanlines(&Info, &Target, 1);
    }
  }
  jpeg_finish_decompress(&Info);
  return 0;
}

} // namespace

detail::TJpegDecoder::TJpegDecoder() : FDecoder(std::make_unique<TDecoder>()) {
  TDecoder& D = *FDecoder;
  D.Info.err = jpeg_std_error(&D.Error.Pub);
  D.Error.Pub.error_exit = ErrorExit;
  D.Error.Pub.emit_message = EmitMessage;
  D.Error.Pub.output_message = OutputMessage;
}

// Safe also when creation failed half-way or never ran: libjpeg frees what
// exists.
detail::TJpegDecoder::~TJpegDecoder() {
  jpeg_destroy_decompress(&FDecoder->Info);
}

void detail::TJpegDecoder::ReadHeader(const uint8_t* Data, int64_t Size) {
  const int Code = HeaderGuarded(*FDecoder, Data, Size);
  if (Code != 0)
    throw EJPEG(MsgJpegError(Code));
}

int detail::TJpegDecoder::Width() const {
  return static_cast<int>(FDecoder->Info.image_width);
}

int detail::TJpegDecoder::Height() const {
  return static_cast<int>(FDecoder->Info.image_height);
}

TPictureMeta detail::TJpegDecoder::Meta() const {
  return JpegMarkersMeta(FDecoder->Info.marker_list);
}

void detail::TJpegDecoder::Decode(TBitmap24& Bitmap, const std::atomic<bool>* Stop) {
  const int Code = DecodeGuarded(*FDecoder, Bitmap, Stop);
  if (Code != 0)
    throw EJPEG(MsgJpegError(Code));
}
