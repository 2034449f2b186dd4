// zlib and Brotli each used through one function a way: their states live and end here.
#include "webfont/compression.h"

#include <brotli/decode.h>
#include <brotli/encode.h>
#include <zlib.h>

#include <algorithm>

bool Inflate(const unsigned char* data, std::size_t length, std::size_t size,
             std::vector<unsigned char>* out) {
  out->assign(size, 0);
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return false;
  // zlib counts in 32-bit units; no table reaches that, as the limits on web fonts keep them.
  stream.next_in = const_cast<unsigned char*>(data);
  stream.avail_in = static_cast<uInt>(length);
  stream.next_out = out->data();
  stream.avail_out = static_cast<uInt>(size);
  const int result = inflate(&stream, Z_FINISH);
  const bool whole = result == Z_STREAM_END && stream.avail_out == 0 && stream.avail_in == 0;
  inflateEnd(&stream);
  return whole;
}

std::vector<unsigned char> Deflate(const std::vector<unsigned char>& bytes) {
  uLongf length = compressBound(static_cast<uLong>(bytes.size()));
  std::vector<unsigned char> out(length);
  if (compress2(out.data(), &length, bytes.data(), static_cast<uLong>(bytes.size()),
                Z_BEST_COMPRESSION) != Z_OK) {
    return {};
  }
  out.resize(length);
  return out;
}

bool BrotliDecodeParts(const unsigned char* data, std::size_t length, std::uint64_t size,
                       std::vector<StreamPart>* parts) {
  BrotliDecoderState* state = BrotliDecoderCreateInstance(nullptr, nullptr, nullptr);
  if (state == nullptr) return false;
  for (StreamPart& part : *parts) part.bytes.reserve(part.length);
  std::size_t availableIn = length;
  const std::uint8_t* nextIn = data;
  std::uint64_t decoded = 0;
  std::size_t next = 0;  // the first part not yet whole
  unsigned char window[1 << 16];
  BrotliDecoderResult result = BROTLI_DECODER_RESULT_NEEDS_MORE_OUTPUT;
  bool over = false;
  while (result == BROTLI_DECODER_RESULT_NEEDS_MORE_OUTPUT && !over) {
    std::size_t availableOut = sizeof window;
    std::uint8_t* nextOut = window;
    result = BrotliDecoderDecompressStream(state, &availableIn, &nextIn, &availableOut, &nextOut,
                                           nullptr);
    const std::uint64_t got = sizeof window - availableOut;
    over = got > size - decoded;  // more than declared: no more is decoded
    if (over) break;
    const std::uint64_t first = decoded;
    decoded += got;
    for (std::size_t i = next; i < parts->size(); ++i) {
      StreamPart& part = (*parts)[i];
      if (part.offset >= decoded) break;
      const std::uint64_t from = std::max(part.offset, first);
      const std::uint64_t to = std::min(part.offset + part.length, decoded);
      if (from < to) {
        part.bytes.insert(part.bytes.end(), window + (from - first), window + (to - first));
      }
      if (part.offset + part.length <= decoded) next = i + 1;
    }
  }
  const bool whole =
      !over && result == BROTLI_DECODER_RESULT_SUCCESS && decoded == size && availableIn == 0;
  BrotliDecoderDestroyInstance(state);
  return whole;
}

std::vector<unsigned char> BrotliEncodeFont(const std::vector<unsigned char>& bytes) {
  std::size_t length = BrotliEncoderMaxCompressedSize(bytes.size());
  std::vector<unsigned char> out(length);
  if (length == 0 ||
      !BrotliEncoderCompress(BROTLI_MAX_QUALITY, BROTLI_DEFAULT_WINDOW, BROTLI_MODE_FONT,
                             bytes.size(), bytes.data(), &length, out.data())) {
    return {};
  }
  out.resize(length);
  return out;
}
