// Accepting an update writes the updater, starts it and closes; the next start cleans up.
#include "update/hand_off.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <filesystem>

#include "platform/ui/dialogs.h"
#include "platform/ui/tray_icon.h"
#include "support/wait.h"
#include "window_fixture.h"

namespace slp {
namespace {

using testing::ReadText;
using testing::WaitFor;
using testing::WriteText;

class HandOffTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Dialogs::ClearAnswers();
    Dialogs::ClearLastDialog();
  }
  void TearDown() override { Dialogs::ClearAnswers(); }

  // The update balloon clicked and the question answered with Update.
  static void AcceptUpdate(Window& w, std::vector<ModalResult> then = {}) {
    w.form->trycnNotify->SetTag(1);
    Dialogs::SetNextAnswer(ModalResult::Yes);
    for (ModalResult answer : then) Dialogs::SetNextAnswer(answer);
    emit w.form->trycnNotify->BalloonClick();
  }
  static std::string Folder(Window& w) { return w.temp.path().toStdString() + "/Renewer/"; }
};

TEST_F(HandOffTest, WritesAndStartsTheUpdaterWithTheArgumentsToComeBackWith) {
  const struct {
    const char* what;
    std::vector<std::string> arguments;
    std::string passed;  // the "commandline=" value
  } cases[] = {
      {"started without arguments", {}, "/updated"},
      {"started after an earlier update", {"/updated"}, "/updated"},
      {"an argument with double quotes", {"--say=\"hi\""}, "--say=>hi>"},
      {"an argument with a blank", {"a b", "c"}, ">a b> c"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Window w(c.arguments, false, nullptr, "/opt/sylp/slp");
    w.Start();
    AcceptUpdate(w);
    ASSERT_EQ(w.opened.size(), 1u);
    EXPECT_EQ(w.opened[0].program, "Renewer");
    EXPECT_EQ(w.opened[0].folder, Folder(w));
    EXPECT_EQ(w.opened[0].parameters, "/url=\"" + kAddr.DownloadUrl +
                                          "\" /target=\"/opt/sylp/slp\" /restart " +
                                          "/commandline=\"" + c.passed + "\"");
    EXPECT_EQ(ReadText(Folder(w) + "Renewer"), w.updater_program);
    struct stat st {};
    ASSERT_EQ(stat((Folder(w) + "Renewer").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    // And the notifier leaves, its settings saved, so its file can be replaced.
    EXPECT_TRUE(WaitFor([&] { return !w.form->isVisible(); }));
    EXPECT_TRUE(std::filesystem::exists(w.form->GetIniFileName()));
  }
}

TEST_F(HandOffTest, ARunningUpdaterBlocksASecondOneWithAWarning) {
  Window w;
  w.Start();
  const std::string file = Folder(w) + "Renewer";
  ASSERT_TRUE(std::filesystem::create_directories(Folder(w)));
  WriteText(file, "first updater");
  w.running.push_back(file);
  AcceptUpdate(w, {ModalResult::Cancel});  // the warning's only button
  ASSERT_TRUE(Dialogs::LastDialog().has_value());
  EXPECT_EQ(Dialogs::LastDialog()->text,
            "A previous update is already started...\r\n\r\n"
            "It must be finished before this one can be done!");
  EXPECT_EQ(Dialogs::LastDialog()->icon, QMessageBox::Warning);
  EXPECT_EQ(Dialogs::LastDialog()->buttons, std::vector<ModalResult>{ModalResult::Cancel});
  EXPECT_TRUE(w.opened.empty());
  EXPECT_EQ(ReadText(file), "first updater");
  EXPECT_TRUE(w.form->isVisible());
}

TEST_F(HandOffTest, NothingStartsWhenTheUpdaterCannotBeWritten) {
  const struct {
    const char* what;
    std::function<void(Window&)> prepare;
  } cases[] = {
      {"a file where the folder should be",
       [](Window& w) { WriteText(w.temp.path().toStdString() + "/Renewer", "in the way"); }},
      {"no updater carried", [](Window& w) { w.updater_program.clear(); }},
      {"no temporary directory", [](Window& w) { w.temp_path.clear(); }},
      {"a link where the folder should be",
       [](Window& w) {
         const std::string elsewhere = w.temp.path().toStdString() + "/elsewhere";
         ASSERT_TRUE(std::filesystem::create_directory(elsewhere));
         std::filesystem::create_directory_symlink(elsewhere,
                                                   w.temp.path().toStdString() + "/Renewer");
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Window w;
    w.Start();
    c.prepare(w);
    AcceptUpdate(w);
    EXPECT_TRUE(w.opened.empty());
    EXPECT_EQ(Dialogs::PendingAnswers(), 0u);
    EXPECT_EQ(Dialogs::LastDialog()->text, "Do you want to update?");  // no other box
    QApplication::processEvents();
    EXPECT_TRUE(w.form->isVisible());  // silently cancelled: the notifier runs on
  }
}

// Closing would leave the user with neither the update nor the notifier.
TEST_F(HandOffTest, AnUpdaterThatCannotStartLeavesTheNotifierRunningAndNothingBehind) {
  Window w;
  w.Start();
  w.start_result = -1;
  AcceptUpdate(w);
  ASSERT_EQ(w.opened.size(), 1u);  // it was tried
  QApplication::processEvents();
  EXPECT_TRUE(w.form->isVisible());
  EXPECT_FALSE(std::filesystem::exists(Folder(w)));
  // Once the system can start it, the next try hands over.
  w.start_result = 4242;
  AcceptUpdate(w);
  ASSERT_EQ(w.opened.size(), 2u);
  EXPECT_TRUE(WaitFor([&] { return !w.form->isVisible(); }));
}

// Under a temporary directory shared with others, their folder of that name is not used.
TEST_F(HandOffTest, AFolderOfAnotherUserIsNotWrittenInto) {
  if (geteuid() != 0) GTEST_SKIP() << "giving a folder away needs root";
  Window w;
  w.Start();
  ASSERT_TRUE(std::filesystem::create_directory(Folder(w)));
  ASSERT_EQ(chown(Folder(w).c_str(), 4242, 4242), 0);
  AcceptUpdate(w);
  EXPECT_TRUE(w.opened.empty());
  EXPECT_TRUE(std::filesystem::is_empty(Folder(w)));
  QApplication::processEvents();
  EXPECT_TRUE(w.form->isVisible());
}

TEST_F(HandOffTest, TheNextStartRemovesTheUpdaterOnceItHasEnded) {
  Window w;
  const std::string file = Folder(w) + "Renewer";
  ASSERT_TRUE(std::filesystem::create_directories(Folder(w)));
  WriteText(file, "old updater");
  w.running.push_back(file);  // still finishing its work
  w.Start();
  EXPECT_TRUE(w.form->tmrRemoveUpdater->isActive());
  bool ticked = false;
  QTimer::singleShot(1500, [&] { ticked = true; });
  ASSERT_TRUE(WaitFor([&] { return ticked; }));
  EXPECT_EQ(ReadText(file), "old updater");
  EXPECT_TRUE(w.form->tmrRemoveUpdater->isActive());  // it keeps trying

  w.running.clear();  // the updater has ended
  EXPECT_TRUE(WaitFor([&] { return !std::filesystem::exists(Folder(w)); }));
  EXPECT_FALSE(w.form->tmrRemoveUpdater->isActive());
}

TEST_F(HandOffTest, WithoutATemporaryDirectoryTheCleanUpRests) {
  Window w;
  w.temp_path.clear();
  w.Start();
  // Nothing could be left anywhere: the first tick is the last.
  EXPECT_TRUE(WaitFor([&] { return !w.form->tmrRemoveUpdater->isActive(); }));
}

TEST_F(HandOffTest, ACleanUpLeavesAFolderThatHoldsSomethingElse) {
  Window w;
  const std::string file = Folder(w) + "Renewer";
  ASSERT_TRUE(std::filesystem::create_directories(Folder(w)));
  WriteText(file, "old updater");
  WriteText(Folder(w) + "notes.txt", "not ours");
  w.Start();
  ASSERT_TRUE(WaitFor([&] { return !std::filesystem::exists(file); }));
  // Once nothing of ours is left the clean-up ends; the other file and its folder stay.
  EXPECT_TRUE(WaitFor([&] { return !w.form->tmrRemoveUpdater->isActive(); }));
  EXPECT_EQ(ReadText(Folder(w) + "notes.txt"), "not ours");
}

}  // namespace
}  // namespace slp
