#pragma once
// The translation layer on Qt objects.

#include <QString>

class QObject;

namespace slp {

// The translation of one run-time message (line breaks as CR LF), or the text itself.
QString gettext(const QString& text);

// Replaces every caption-like text of `root` and of every object it owns (window title,
// captions, tool tips and status tips, what's-this and accessible texts, placeholders, menu
// and action texts, the lines of combo boxes, list widgets and tab bars) by its translation
// where the catalog has one. Empty texts, object names and the contents of editable fields are
// left alone; objects made after the call are not translated.
void TranslateComponent(QObject* root);

}  // namespace slp
