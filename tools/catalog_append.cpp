// slp-catalog-append: appends a compiled message catalog to a linked executable and writes
// its place into the executable's locating record. The file is rewritten whole through a
// temporary file beside it, so a failure never leaves half an executable.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "locale/catalog_directory.h"
#include "locale/catalog_record.h"
#include "locale/language.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: slp-catalog-append [--language CODE] EXECUTABLE CATALOG\n"
               "Appends CATALOG as locale\\CODE\\LC_MESSAGES\\default.mo (CODE: fr_FR).\n");
  return 2;
}

int Fail(const std::string& file, const std::string& why) {
  std::fprintf(stderr, "slp-catalog-append: %s: %s\n", file.c_str(), why.c_str());
  return 1;
}

bool ReadAll(const std::string& path, std::vector<std::uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
  std::string language = "fr_FR";
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--language" && i + 1 < argc)
      language = argv[++i];
    else if (arg.starts_with("--"))
      return Usage();
    else
      files.push_back(arg);
  }
  if (files.size() != 2 || language.empty()) return Usage();
  const std::string& executable = files[0];
  const std::string& catalog_file = files[1];

  std::vector<std::uint8_t> file, catalog;
  if (!ReadAll(executable, file)) return Fail(executable, "cannot be read");
  if (!ReadAll(catalog_file, catalog)) return Fail(catalog_file, "cannot be read");
  std::string error;
  if (!slp::AppendCatalog(file, catalog, slp::CatalogRelativeName(language),
                          slp::CatalogRecordSignature(), error))
    return Fail(executable, error);

  struct stat st {};
  if (::stat(executable.c_str(), &st) != 0) return Fail(executable, "cannot be examined");
  const std::string temporary = executable + ".catalog-tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
    out.close();
    if (!out) {
      std::remove(temporary.c_str());
      return Fail(temporary, "cannot be written");
    }
  }
  std::error_code ec;
  std::filesystem::permissions(temporary, static_cast<std::filesystem::perms>(st.st_mode & 07777),
                               ec);
  if (!ec) std::filesystem::rename(temporary, executable, ec);
  if (ec) {
    std::remove(temporary.c_str());
    return Fail(executable, "cannot be replaced: " + ec.message());
  }
  return 0;
}
