#include "update/packed_program.h"

#include <zlib.h>

namespace slp {

std::optional<std::string> UnpackProgram(std::string_view packed, std::size_t limit) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return std::nullopt;
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  stream.avail_in = static_cast<uInt>(packed.size());
  std::string out;
  int status = Z_OK;
  char chunk[1 << 16];
  while (status == Z_OK) {
    stream.next_out = reinterpret_cast<Bytef*>(chunk);
    stream.avail_out = sizeof chunk;
    status = inflate(&stream, Z_NO_FLUSH);
    if (status != Z_OK && status != Z_STREAM_END) break;
    out.append(chunk, sizeof chunk - stream.avail_out);
    if (out.size() > limit) status = Z_MEM_ERROR;
    // No progress with input left means the stream is cut short.
    if (status == Z_OK && stream.avail_in == 0 && stream.avail_out != 0) status = Z_DATA_ERROR;
  }
  const bool whole = status == Z_STREAM_END && stream.avail_in == 0;
  inflateEnd(&stream);
  if (!whole) return std::nullopt;
  return out;
}

}  // namespace slp
