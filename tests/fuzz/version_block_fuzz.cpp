// Version blocks from arbitrary bytes: finding a block in a "file" and querying it (and the
// raw bytes) must stay inside the input. The same bytes read as a description must build a
// block that reads back to what was described.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/os/version_block.h"
#include "tools/version_block/version_description.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

void QueryAll(slp::ByteView block) {
  slp::QueryFixedFileInfo(block);
  slp::QueryVersionValue(block, "\\");
  const auto translations = slp::QueryTranslations(block);
  std::string table = "\\StringFileInfo\\040C04E4\\";
  if (!translations.empty()) {
    table = "\\StringFileInfo\\" + slp::TranslationKey(translations.front()) + "\\";
  }
  for (const char* key : {"CompanyName", "LegalCopyRight", "ProductName", "FileVersion"}) {
    slp::QueryVersionString(block, table + key);
  }
  slp::QueryVersionString(block, "\\\\StringFileInfo\\\\");
}

void RoundTrip(std::string_view text) {
  slp::VersionDescription description;
  std::vector<std::uint8_t> block;
  std::string error;
  if (!slp::ParseVersionDescription(text, description, error) ||
      !slp::BuildVersionBlock(description, block, error)) {
    return;
  }
  const slp::ByteView found = slp::FindVersionBlock(block);
  Check(found.data() == block.data() && found.size() == block.size());
  const auto fixed = slp::QueryFixedFileInfo(block);
  Check(fixed && fixed->file_version_ms == description.fixed.file_version_ms &&
        fixed->file_version_ls == description.fixed.file_version_ls);
  Check(slp::QueryTranslations(block) == description.translations);
  for (const auto& table : description.string_tables) {
    const std::string prefix = "\\StringFileInfo\\" + slp::TranslationKey(table.translation) + "\\";
    for (const auto& [key, value] : table.strings) {
      Check(slp::QueryVersionString(block, prefix + key) == value);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const slp::ByteView bytes(data, size);
  const slp::ByteView block = slp::FindVersionBlock(bytes);
  if (!block.empty()) {
    Check(block.data() >= data && block.data() + block.size() <= data + size);
    Check(slp::QueryVersionValue(block, "\\").has_value());
  }
  QueryAll(block);
  QueryAll(bytes);
  RoundTrip(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
