#pragma once
// The build-time side of version blocks: a text description of a program's version data and
// the builder that turns it into VS_VERSIONINFO bytes. Only the build tool (and tests) link
// this; programs only read blocks (platform/os/version_block.h).

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/os/version_block.h"

namespace slp {

// One StringTable: its key is the translation as 8 hexadecimal digits; strings are UTF-8.
struct VersionStringTable {
  VersionTranslation translation;
  std::vector<std::pair<std::string, std::string>> strings;
};

struct VersionDescription {
  VersionFixedInfo fixed;
  std::vector<VersionTranslation> translations;  // in the order of the Translation entry
  std::vector<VersionStringTable> string_tables;
};

// Reads the text form of a description (see resources/*.version.in). On failure returns false
// and names the line in `error`.
bool ParseVersionDescription(std::string_view text, VersionDescription& description,
                             std::string& error);

// Builds the VS_VERSIONINFO bytes. Fails (false, `error`) when a node outgrows its 16-bit
// length or a string is not valid UTF-8.
bool BuildVersionBlock(const VersionDescription& description, std::vector<std::uint8_t>& block,
                       std::string& error);

}  // namespace slp
