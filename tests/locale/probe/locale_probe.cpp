// Prints what this process's translator gives: the translation of each argument on a line of
// its own (carriage returns shown as "\r"), then the language and the catalog in use.
#include <cstdio>
#include <string>

#include "locale/translator.h"

int main(int argc, char** argv) {
  slp::FixLanguage();
  for (int i = 1; i < argc; ++i) {
    std::string shown;
    for (char c : slp::TranslateText(argv[i]))
      shown += c == '\r' ? std::string("\\r") : std::string(1, c);
    std::printf("%s\n", shown.c_str());
  }
  const slp::Translator& t = slp::ProcessTranslator();
  const char* source = t.Source() == slp::CatalogSource::Appended ? "appended"
                       : t.Source() == slp::CatalogSource::File   ? "file"
                                                                  : "none";
  std::printf("language=%s catalog=%s enabled=%d\n", t.Language().c_str(), source,
              t.Enabled() ? 1 : 0);
  return 0;
}
