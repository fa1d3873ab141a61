#include "updater/translate.h"

namespace slp::renewer {

// The catalogs arrive with the translation layer; until then every text stays English.
QString Translate(const char* english) { return QString::fromUtf8(english); }

}  // namespace slp::renewer
