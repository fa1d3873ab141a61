#pragma once
// Which language a program speaks, and where its catalog is.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace slp {

// "fr_BE.UTF-8@euro" -> "fr_BE": the language, and the country when there is one, of a
// locale name.
std::string ReduceLocaleName(std::string_view locale);

// The language code of a run: `lang` (the LANG variable) when it is set and not empty, else
// the user's locale (asked only then) reduced to language_COUNTRY; in both cases everything
// from the first "." on is dropped ("fr_FR.UTF-8" gives "fr_FR").
std::string ChooseLanguage(const std::optional<std::string>& lang,
                           const std::function<std::string()>& user_locale);

// "locale\<code>\LC_MESSAGES\default.mo": a catalog's name relative to the executable's
// folder, as stored in an executable's catalog directory.
std::string CatalogRelativeName(std::string_view code);

// Whether two relative names name the same catalog: letter case is ignored and "\" matches
// the native separator.
bool SameCatalogName(std::string_view a, std::string_view b);

// The catalog file for `code` below `folder` (which ends in a separator), with native
// separators.
std::string CatalogFilePath(std::string_view folder, std::string_view code);

}  // namespace slp
