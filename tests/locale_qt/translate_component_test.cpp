// TranslateComponent on a window of every kind of component, and gettext, in a French run.
#include "locale/qt/translate_component.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QWidget>

#include "locale/translator.h"
#include "platform/ui/tray_icon.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace slp {
namespace {

TEST(FrenchRun, TheLanguageAndTheAppendedCatalog) {
  ASSERT_EQ(ProcessTranslator().Language(), "fr_FR") << "LANG is set before main";
  EXPECT_EQ(gettext("Exit"), "Quitter");
  EXPECT_EQ(ProcessTranslator().Source(), CatalogSource::Appended);
}

TEST(Gettext, RunTimeMessages) {
  EXPECT_EQ(gettext("Last post has changed!"), "La dernière publication a changé !");
  EXPECT_EQ(gettext("(minutes)"), "(minutes)");
  EXPECT_EQ(gettext("A new version is available: ") + "1.2.1.0",
            "Une nouvelle version est disponible :1.2.1.0");
  EXPECT_EQ(gettext("Not in the catalog"), "Not in the catalog");
  EXPECT_EQ(gettext("first\nsecond"), "first\r\nsecond");
  EXPECT_EQ(gettext(""), "");
}

// Qt lays a CR LF line break out as it does a line feed.
TEST(Gettext, CrLfLineBreaksShowAsLineBreaks) {
  for (const char* kind : {"label", "button"}) {
    SCOPED_TRACE(kind);
    auto widget = [&](const QString& text) -> std::unique_ptr<QWidget> {
      if (QString(kind) == "label") return std::make_unique<QLabel>(text);
      return std::make_unique<QPushButton>(text);
    };
    const QSize crlf = widget(gettext("first line\nsecond line"))->sizeHint();
    EXPECT_EQ(crlf, widget("first line\nsecond line")->sizeHint());
    EXPECT_NE(crlf, widget("first line second line")->sizeHint());
  }
}

TEST(TranslateComponent, EveryCaptionOfTheWindowAndWhatItOwns) {
  QWidget window;
  window.setObjectName("Exit");
  window.setWindowTitle("Update");
  auto* button = new QPushButton("Go to G+", &window);
  button->setObjectName("Refresh");
  button->setAccessibleName("Exit");
  button->setWhatsThis("Refresh");
  auto* panel = new QWidget(&window);  // owned through a child: still the window's
  auto* check = new QCheckBox("Check G+:", panel);
  check->setToolTip("Refresh the page using the interval below when checked");
  check->setStatusTip("Refresh the page using the interval below when checked");
  auto* label = new QLabel("Interval:", panel);
  auto* untranslated = new QLabel("Sylp", panel);
  auto* empty = new QLabel(panel);
  auto* two_lines = new QLabel("first\nsecond", panel);
  auto* field = new QLineEdit("Exit", &window);  // what the user typed stays
  field->setPlaceholderText("Interval:");
  auto* menu = new QMenu("Refresh", &window);
  QAction* quit = menu->addAction("&Exit");
  quit->setStatusTip("Exit");
  QAction* separator = menu->addSeparator();
  auto* combo = new QComboBox(&window);
  combo->addItems({"Exit", "Not in the catalog", "Refresh"});
  auto* list = new QListWidget(&window);
  list->addItems({"Interval:", "Sylp"});
  list->item(0)->setToolTip("(minutes)");
  auto* tabs = new QTabWidget(&window);
  tabs->addTab(new QWidget, "Update");
  tabs->setTabToolTip(0, "Exit");
  auto* tray = new TTrayIcon(&window);
  tray->SetHint("Exit");
  tray->SetBalloonTitle("Sylp");
  tray->SetBalloonHint("Has no entry");

  TranslateComponent(&window);
  auto* later = new QLabel("Exit", &window);  // made after: not translated

  EXPECT_EQ(window.windowTitle(), "Mettre à jour");
  EXPECT_EQ(window.objectName(), "Exit");
  EXPECT_EQ(button->text(), "Google+");
  EXPECT_EQ(button->objectName(), "Refresh");
  EXPECT_EQ(button->accessibleName(), "Quitter");
  EXPECT_EQ(button->whatsThis(), "Rafraîchir");
  EXPECT_EQ(check->text(), "Vérifier G+ :");
  EXPECT_EQ(check->toolTip(),
            "Rafraîchir la page en utilisant l'intervalle ci-dessous quand coché");
  EXPECT_EQ(check->statusTip(), check->toolTip());
  EXPECT_EQ(label->text(), "Intervalle :");
  EXPECT_EQ(untranslated->text(), "Sylp");
  EXPECT_EQ(empty->text(), "");
  EXPECT_EQ(two_lines->text(), "first\nsecond");
  EXPECT_EQ(field->text(), "Exit");
  EXPECT_EQ(field->placeholderText(), "Intervalle :");
  EXPECT_EQ(menu->title(), "Rafraîchir");
  EXPECT_EQ(quit->text(), "&Quitter");
  EXPECT_EQ(quit->statusTip(), "Quitter");
  EXPECT_EQ(separator->text(), "");
  EXPECT_EQ(combo->itemText(0), "Quitter");
  EXPECT_EQ(combo->itemText(1), "Not in the catalog");
  EXPECT_EQ(combo->itemText(2), "Rafraîchir");
  EXPECT_EQ(list->item(0)->text(), "Intervalle :");
  EXPECT_EQ(list->item(0)->toolTip(), "(minutes)");
  EXPECT_EQ(list->item(1)->text(), "Sylp");
  EXPECT_EQ(tabs->tabText(0), "Mettre à jour");
  EXPECT_EQ(tabs->tabToolTip(0), "Quitter");
  EXPECT_EQ(tray->Hint(), "Quitter");
  EXPECT_EQ(tray->BalloonTitle(), "Sylp");
  EXPECT_EQ(tray->BalloonHint(), "Has no entry");
  EXPECT_EQ(later->text(), "Exit");
}

}  // namespace
}  // namespace slp
