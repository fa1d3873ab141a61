// The notifier's window in a French run: its texts, its run-time messages and the update
// question; the texts built from the version information stay as they are.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <regex>

#include "app/window_fixture.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/spin_edit.h"
#include "platform/ui/tray_icon.h"
#include "support/loopback_server.h"
#include "support/wait.h"

namespace slp {
namespace {

std::string Page(const std::string& time, const std::string& counter) {
  return "<div><a href=\"/n\"><span><span>" + counter + "</span></span></a></div>" +
         "<div><span>Flux</span></div><div><span><a href=\"/p\">" + time +
         "</a></span> &nbsp;-&nbsp; <span>Public</span></div>";
}

TEST(FrenchWindow, CaptionsHintsAndTrayMenu) {
  Window w;
  TfrmMain& f = *w.form;
  EXPECT_EQ(f.bbtnNavigateRoot->text(), "Google+");
  EXPECT_EQ(f.lblLastUpdates->text(), "Dernières mises à jour :");
  EXPECT_EQ(f.chkRefresh->text(), "Vérifier G+ :");
  EXPECT_EQ(f.chkRefresh->toolTip(),
            "Rafraîchir la page en utilisant l'intervalle ci-dessous quand coché");
  EXPECT_EQ(f.chkRefresh->statusTip(), f.chkRefresh->toolTip());
  EXPECT_EQ(f.lblInterval->text(), "Intervalle :");
  EXPECT_EQ(f.spedInterval->toolTip(), "(minutes)");
  QStringList menu;
  for (QAction* a : f.pmSystray->actions()) menu << a->text();
  EXPECT_EQ(menu,
            QStringList({"&Rafraîchir", "", "&Afficher Sylp", "&Masquer Sylp", "", "&Quitter"}));
  // Object names are never translated.
  EXPECT_EQ(f.miQuit->objectName(), "miQuit");
  EXPECT_EQ(f.bbtnNavigateRoot->objectName(), "bbtnNavigateRoot");

  // Built from the version information, not translated.
  const QString name = QString::fromStdString(f.VersionInfo().fOriginalFileName);
  EXPECT_EQ(name, "Sylpwatch");
  EXPECT_EQ(f.windowTitle(), name + " v" + QString::fromStdString(f.VersionInfo().fFileVersion));
  EXPECT_EQ(f.trycnNotify->Hint(), name);
  EXPECT_EQ(f.trycnNotify->BalloonTitle(), name);

  // A screen reader reads the French names.
  QAccessibleInterface* button = QAccessible::queryAccessibleInterface(f.bbtnNavigateRoot);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->text(QAccessible::Name), "Google+");
}

TEST(FrenchWindow, RunTimeMessages) {
  Window w({"/updated"}, /*with_taskbar=*/true);
  w.Start();
  TfrmMain& f = *w.form;
  // The greeting follows the version check's answer.
  EXPECT_TRUE(testing::WaitFor([&] {
    return f.trycnNotify->BalloonHint() == "Sylpwatch a été mis à jour !";
  })) << f.trycnNotify->BalloonHint().toStdString();
  std::vector<std::string> tips;
  for (const auto& call : w.taskbar->calls)
    for (const ThumbButton& b : call.buttons) tips.push_back(b.szTip);
  EXPECT_EQ(tips, std::vector<std::string>({"Rafraîchir", "Quitter"}));

  w.Stream(Page("09:41", "3"));
  w.Stream(Page("09:55", "3"));
  EXPECT_EQ(f.trycnNotify->BalloonHint(), "La dernière publication a changé !");
  w.Stream(Page("09:55", "5"));
  EXPECT_EQ(f.trycnNotify->BalloonHint(), "Le compteur de notification a changé !");

  f.bbtnNavigateRoot->click();
  EXPECT_TRUE(std::regex_match(f.stb1Text->text().toStdString(),
                               std::regex(R"(Dernière mise à jour : \d{1,2}:\d\d:\d\d( [AP]M)?)")))
      << f.stb1Text->text().toStdString();
}

TEST(FrenchWindow, VersionBalloonRunsTheVersionStraightOn) {
  // The translation lacks the identifier's trailing blank.
  testing::LoopbackServer service;
  service.Routes().Get("/slp/version", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("1.2.1.0", "text/plain");
  });
  ASSERT_NE(service.Start(), 0);
  Window w({}, false, nullptr, "", nullptr, [&](TfrmMain::Setup& setup) {
    setup.addresses = Addresses::FromOrigins("https://social.test", "https://accounts.test",
                                             "https://partner.test", service.Origin());
  });
  w.Start();
  ASSERT_TRUE(testing::WaitFor([&] { return w.form->trycnNotify->Tag() == 1; }));
  EXPECT_EQ(w.form->trycnNotify->BalloonHint(),
            "Une nouvelle version est disponible :1.2.1.0.\r\n\r\nCliquer pour fermer Sylpwatch "
            "et mettre à jour votre version.");
}

TEST(FrenchWindow, UpdateQuestionIsFrenchButItsStandardTextsStayEnglish) {
  Dialogs::ClearAnswers();
  Dialogs::ClearLastDialog();
  Window w;
  w.Start();
  TfrmMain& f = *w.form;
  f.trycnNotify->SetTag(1);
  Dialogs::SetNextAnswer(ModalResult::Ignore);
  emit f.trycnNotify->BalloonClick();
  ASSERT_TRUE(Dialogs::LastDialog());
  const DialogRecord& d = *Dialogs::LastDialog();
  EXPECT_EQ(d.text, "Voulez-vous mettre à jour ?");
  EXPECT_EQ(d.title, "Confirm");
  EXPECT_EQ(d.buttons, std::vector<ModalResult>({ModalResult::Yes, ModalResult::Ignore}));
  EXPECT_EQ(d.captions, std::vector<QString>({"Mettre à jour", "Ignore"}));
}

}  // namespace
}  // namespace slp
