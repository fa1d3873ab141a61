#include "updater/translate.h"

#include "locale/qt/translate_component.h"

namespace slp::renewer {

QString Translate(const char* english) { return gettext(QString::fromUtf8(english)); }

}  // namespace slp::renewer
