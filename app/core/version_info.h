#pragma once
// The program's version information, read from the version block in an executable file.

#include <cstdint>
#include <string>

namespace slp {

struct TFileVersionInfo {
  std::string fCompanyName;
  std::string fFileDescription;
  std::string fFileVersion;
  std::string fInternalName;
  std::string fLegalCopyRight;
  std::string fLegalTradeMark;
  std::string fOriginalFileName;
  std::string fProductName;
  std::string fProductVersion;
  std::string fComments;
  std::uint16_t fMajor = 0;    // file version, high word of the most significant double word
  std::uint16_t fMinor = 0;    // low word of the same
  std::uint16_t fRelease = 0;  // file version, high word of the least significant double word
  std::uint16_t fBuild = 0;    // low word of the same
};

// Fills `info` from the version block of `file_name` ("" for the running executable). The
// numbers stay as they were when the file has no version block; each string the block does
// not give (no block, no translation, no such key) becomes empty. Strings come from the
// string table of the first translation only.
void ReadVersionInfo(const std::string& file_name, TFileVersionInfo& info);

}  // namespace slp
