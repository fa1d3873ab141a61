#pragma once
// The updater's one door to the translation layer: every text it shows, window texts at
// creation and messages when shown, comes through here by its English text.

#include <QString>

namespace slp::renewer {

QString Translate(const char* english);

}  // namespace slp::renewer
