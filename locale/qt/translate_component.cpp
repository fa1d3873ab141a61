#include "locale/qt/translate_component.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaProperty>
#include <QObject>
#include <QTabBar>
#include <QVariant>
#include <algorithm>
#include <functional>
#include <string_view>

#include "locale/translator.h"
#include "platform/os/text.h"

namespace slp {
namespace {

// Text properties that people read; compared without regard to case, so that our own
// components' properties (a tray icon's Hint, BalloonTitle) count too.
constexpr std::string_view kCaptionProperties[] = {
    "windowTitle",
    "text",
    "title",
    "toolTip",
    "statusTip",
    "whatsThis",
    "accessibleName",
    "accessibleDescription",
    "placeholderText",
    "prefix",
    "suffix",
    "specialValueText",
    "hint",
    "balloonTitle",
    "balloonHint",
};

bool IsCaptionProperty(std::string_view name) {
  return std::any_of(
      std::begin(kCaptionProperties), std::end(kCaptionProperties),
      [name](std::string_view caption) { return text::EqualsIgnoreAsciiCase(caption, name); });
}

// The translation of a text held by a component. A text without an entry is left as it is,
// line feeds included: it would only come back with CR LF, which the widgets show alike.
void Translate(const QString& text, const std::function<void(const QString&)>& set) {
  if (text.isEmpty()) return;
  const QString translated = gettext(text);
  if (QString(translated).remove(u'\r') != QString(text).remove(u'\r')) set(translated);
}

void TranslateProperties(QObject* object) {
  const QMetaObject* meta = object->metaObject();
  const bool editable = qobject_cast<QLineEdit*>(object) != nullptr;
  for (int i = 0; i < meta->propertyCount(); ++i) {
    const QMetaProperty property = meta->property(i);
    if (!property.isWritable() || property.metaType().id() != QMetaType::QString) continue;
    const std::string_view name = property.name();
    if (!IsCaptionProperty(name) || (editable && name == "text")) continue;
    Translate(property.read(object).toString(),
              [&](const QString& t) { property.write(object, t); });
  }
}

void TranslateLines(QObject* object) {
  if (auto* combo = qobject_cast<QComboBox*>(object)) {
    for (int i = 0; i < combo->count(); ++i)
      Translate(combo->itemText(i), [&](const QString& t) { combo->setItemText(i, t); });
  } else if (auto* list = qobject_cast<QListWidget*>(object)) {
    for (int i = 0; i < list->count(); ++i) {
      QListWidgetItem* item = list->item(i);
      Translate(item->text(), [&](const QString& t) { item->setText(t); });
      Translate(item->toolTip(), [&](const QString& t) { item->setToolTip(t); });
      Translate(item->statusTip(), [&](const QString& t) { item->setStatusTip(t); });
    }
  } else if (auto* tabs = qobject_cast<QTabBar*>(object)) {
    for (int i = 0; i < tabs->count(); ++i) {
      Translate(tabs->tabText(i), [&](const QString& t) { tabs->setTabText(i, t); });
      Translate(tabs->tabToolTip(i), [&](const QString& t) { tabs->setTabToolTip(i, t); });
    }
  }
}

}  // namespace

QString gettext(const QString& text) {
  return QString::fromStdString(TranslateText(text.toStdString()));
}

void TranslateComponent(QObject* root) {
  if (root == nullptr) return;
  // Taken before any change, so that nothing a change creates is visited.
  const QList<QObject*> owned = root->findChildren<QObject*>();
  TranslateProperties(root);
  TranslateLines(root);
  for (QObject* object : owned) {
    TranslateProperties(object);
    TranslateLines(object);
  }
}

}  // namespace slp
