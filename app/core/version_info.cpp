#include "app/core/version_info.h"

#include <vector>

#include "platform/os/version_block.h"

namespace slp {

void ReadVersionInfo(const std::string& file_name, TFileVersionInfo& info) {
  // The running program's block is in its memory; another program's is read from its file.
  std::vector<std::uint8_t> file_block;
  ByteView block;
  if (file_name.empty()) {
    block = OwnVersionBlock();
  } else {
    file_block = ReadVersionBlock(file_name);
    block = file_block;
  }

  if (!block.empty()) {
    if (const auto fixed = QueryFixedFileInfo(block)) {
      info.fMajor = static_cast<std::uint16_t>(fixed->file_version_ms >> 16);
      info.fMinor = static_cast<std::uint16_t>(fixed->file_version_ms & 0xFFFF);
      info.fRelease = static_cast<std::uint16_t>(fixed->file_version_ls >> 16);
      info.fBuild = static_cast<std::uint16_t>(fixed->file_version_ls & 0xFFFF);
    }
  }

  // The key names as the program asks for them; lookup ignores case, so "LegalCopyRight"
  // finds LegalCopyright while "LegalTradeMark" does not find LegalTrademarks.
  const struct {
    const char* key;
    std::string TFileVersionInfo::*field;
  } strings[] = {{"CompanyName", &TFileVersionInfo::fCompanyName},
                 {"FileDescription", &TFileVersionInfo::fFileDescription},
                 {"FileVersion", &TFileVersionInfo::fFileVersion},
                 {"InternalName", &TFileVersionInfo::fInternalName},
                 {"LegalCopyRight", &TFileVersionInfo::fLegalCopyRight},
                 {"LegalTradeMark", &TFileVersionInfo::fLegalTradeMark},
                 {"OriginalFileName", &TFileVersionInfo::fOriginalFileName},
                 {"ProductName", &TFileVersionInfo::fProductName},
                 {"ProductVersion", &TFileVersionInfo::fProductVersion},
                 {"Comments", &TFileVersionInfo::fComments}};
  const std::vector<VersionTranslation> translations =
      block.empty() ? std::vector<VersionTranslation>() : QueryTranslations(block);
  for (const auto& [key, field] : strings) {
    std::string& text = info.*field;
    text.clear();
    if (translations.empty()) continue;
    const std::string path =
        "\\StringFileInfo\\" + TranslationKey(translations.front()) + "\\" + key;
    text = QueryVersionString(block, path).value_or(std::string());
  }
}

}  // namespace slp
