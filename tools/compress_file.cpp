// slp-compress-file IN OUT: writes IN deflated with zlib (a zlib stream), for a program that
// carries another program inside itself.
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: slp-compress-file IN OUT\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "slp-compress-file: cannot read %s\n", argv[1]);
    return 1;
  }
  const std::string data((std::istreambuf_iterator<char>(in)), {});
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::string packed(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
                reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()),
                Z_BEST_COMPRESSION) != Z_OK) {
    std::fprintf(stderr, "slp-compress-file: cannot compress %s\n", argv[1]);
    return 1;
  }
  packed.resize(size);
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out.write(packed.data(), static_cast<std::streamsize>(packed.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "slp-compress-file: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
