#include "platform/ui/dialogs.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace slp {
namespace {

using MR = ModalResult;

const MessageDlgOptions kUpdateQuestion =
    MessageDlgOptions().Default(MR::Yes).Caption(MR::Yes, "Update").StayOnTop().Centred();

ModalResult AskUpdate(QWidget* parent = nullptr) {
  return MessageDlg(parent, "Do you want to update?", DialogKind::Confirmation,
                    {MR::Yes, MR::Ignore}, kUpdateQuestion);
}

int OpenMessageBoxes() {
  int n = 0;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (qobject_cast<QMessageBox*>(w) != nullptr) ++n;
  }
  return n;
}

class DialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Dialogs::ClearAnswers();
    Dialogs::ClearLastDialog();
  }
  void TearDown() override { Dialogs::ClearAnswers(); }

  // Runs `act` on the modal message box once it is open. If the box is still open after
  // `act`, the test fails and the box is closed so that nothing hangs.
  void WhenModal(std::function<void(QMessageBox&)> act, int attempts = 200) {
    QTimer::singleShot(0, [this, act, attempts] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) {
        if (attempts > 0) {
          WhenModal(act, attempts - 1);
        } else {
          ADD_FAILURE() << "no modal message box appeared";
        }
        return;
      }
      QPointer<QMessageBox> guard(box);
      act(*box);
      if (guard != nullptr && guard->isVisible()) {
        ADD_FAILURE() << "the dialog stayed open";
        guard->done(0);
      }
    });
  }

  static QAbstractButton* Button(QMessageBox& box, const char* name) {
    auto* button = box.findChild<QAbstractButton*>(name);
    EXPECT_NE(button, nullptr) << name;
    return button;
  }

  static void Press(QWidget* target, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    QCoreApplication::sendEvent(target, &release);
  }
};

TEST_F(DialogsTest, QueuedAnswersAreReturnedInOrderWithoutShowing) {
  Dialogs::SetNextAnswer(MR::Yes);
  Dialogs::SetNextAnswer(MR::Ignore);
  Dialogs::SetNextAnswer(MR::Cancel);
  EXPECT_EQ(Dialogs::PendingAnswers(), 3u);
  EXPECT_EQ(AskUpdate(), MR::Yes);
  EXPECT_EQ(AskUpdate(), MR::Ignore);
  EXPECT_EQ(AskUpdate(), MR::Cancel);
  EXPECT_EQ(Dialogs::PendingAnswers(), 0u);
  EXPECT_EQ(OpenMessageBoxes(), 0);
}

TEST_F(DialogsTest, TheUpdateQuestionAsBuilt) {
  Dialogs::SetNextAnswer(MR::Ignore);
  AskUpdate();
  ASSERT_TRUE(Dialogs::LastDialog().has_value());
  const DialogRecord& d = *Dialogs::LastDialog();
  EXPECT_EQ(d.text, "Do you want to update?");
  EXPECT_EQ(d.title, "Confirm");
  EXPECT_EQ(d.icon, QMessageBox::Question);
  EXPECT_EQ(d.buttons, (std::vector<MR>{MR::Yes, MR::Ignore}));
  ASSERT_EQ(d.captions.size(), 2u);
  EXPECT_EQ(d.captions[0], "Update");
  EXPECT_FALSE(d.captions[1].isEmpty());
  EXPECT_NE(d.captions[1], "Update");
  EXPECT_EQ(d.defaultButton, MR::Yes);
  EXPECT_EQ(d.escapeButton, MR::None);
  EXPECT_TRUE(d.stayOnTop);
  EXPECT_TRUE(d.centred);
}

TEST_F(DialogsTest, DefaultAndEscapeButtonsFollowTheButtonSet) {
  const struct {
    const char* name;
    std::vector<MR> buttons;
    MR requestedDefault;
    std::vector<MR> recorded;
    MR defaultButton;
    MR escapeButton;
  } cases[] = {
      {"ok", {MR::Ok}, MR::None, {MR::Ok}, MR::Ok, MR::Ok},
      {"cancel only", {MR::Cancel}, MR::None, {MR::Cancel}, MR::None, MR::Cancel},
      {"yes no", {MR::Yes, MR::No}, MR::None, {MR::Yes, MR::No}, MR::Yes, MR::No},
      {"yes no cancel",
       {MR::Yes, MR::No, MR::Cancel},
       MR::None,
       {MR::Yes, MR::No, MR::Cancel},
       MR::Yes,
       MR::Cancel},
      {"ok cancel", {MR::Ok, MR::Cancel}, MR::None, {MR::Ok, MR::Cancel}, MR::Ok, MR::Cancel},
      {"abort retry",
       {MR::Abort, MR::Retry},
       MR::None,
       {MR::Abort, MR::Retry},
       MR::Retry,
       MR::None},
      {"abort retry ignore",
       {MR::Abort, MR::Retry, MR::Ignore},
       MR::None,
       {MR::Abort, MR::Retry, MR::Ignore},
       MR::Retry,
       MR::None},
      {"ignore as default",
       {MR::Yes, MR::Ignore},
       MR::Ignore,
       {MR::Yes, MR::Ignore},
       MR::Ignore,
       MR::None},
      {"default not offered",
       {MR::Yes, MR::Ignore},
       MR::No,
       {MR::Yes, MR::Ignore},
       MR::None,
       MR::None},
      {"repeats and None dropped",
       {MR::Yes, MR::None, MR::Yes, MR::Ignore},
       MR::None,
       {MR::Yes, MR::Ignore},
       MR::Yes,
       MR::None},
  };
  for (const auto& c : cases) {
    Dialogs::SetNextAnswer(MR::Cancel);
    MessageDlg(nullptr, "text", DialogKind::Warning, c.buttons,
               MessageDlgOptions().Default(c.requestedDefault));
    ASSERT_TRUE(Dialogs::LastDialog().has_value()) << c.name;
    EXPECT_EQ(Dialogs::LastDialog()->buttons, c.recorded) << c.name;
    EXPECT_EQ(Dialogs::LastDialog()->defaultButton, c.defaultButton) << c.name;
    EXPECT_EQ(Dialogs::LastDialog()->escapeButton, c.escapeButton) << c.name;
    EXPECT_FALSE(Dialogs::LastDialog()->stayOnTop) << c.name;
  }
}

TEST_F(DialogsTest, KindGivesIconAndTitle) {
  const struct {
    DialogKind kind;
    QMessageBox::Icon icon;
    const char* title;
  } cases[] = {
      {DialogKind::Confirmation, QMessageBox::Question, "Confirm"},
      {DialogKind::Warning, QMessageBox::Warning, "Warning"},
      {DialogKind::Error, QMessageBox::Critical, "Error"},
      {DialogKind::Information, QMessageBox::Information, "Information"},
  };
  for (const auto& c : cases) {
    Dialogs::SetNextAnswer(MR::Ok);
    MessageDlg(nullptr, "text", c.kind, {MR::Ok});
    EXPECT_EQ(Dialogs::LastDialog()->icon, c.icon) << c.title;
    EXPECT_EQ(Dialogs::LastDialog()->title, c.title);
  }
  Dialogs::SetNextAnswer(MR::Ok);
  MessageDlg(nullptr, "text", DialogKind::Error, {MR::Ok}, MessageDlgOptions().Title("Renewer"));
  EXPECT_EQ(Dialogs::LastDialog()->title, "Renewer");
}

TEST_F(DialogsTest, ShownDialogReturnsTheClickedButton) {
  const struct {
    const char* button;
    MR expected;
  } cases[] = {{"Yes", MR::Yes}, {"Ignore", MR::Ignore}};
  for (const auto& c : cases) {
    WhenModal([&](QMessageBox& box) {
      EXPECT_TRUE(box.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
      EXPECT_EQ(Button(box, "Yes")->text(), "Update");
      EXPECT_EQ(static_cast<QAbstractButton*>(box.defaultButton()), Button(box, "Yes"));
      if (QAbstractButton* b = Button(box, c.button)) b->click();
    });
    EXPECT_EQ(AskUpdate(), c.expected) << c.button;
    EXPECT_EQ(OpenMessageBoxes(), 0) << c.button;
  }
}

TEST_F(DialogsTest, EscapeDoesNotCloseADialogWithoutCancelNoOrOk) {
  WhenModal([&](QMessageBox& box) {
    Press(&box, Qt::Key_Escape);
    if (QWidget* focus = box.focusWidget()) Press(focus, Qt::Key_Escape);
    EXPECT_TRUE(box.isVisible());
    if (QAbstractButton* b = Button(box, "Ignore")) b->click();
  });
  EXPECT_EQ(AskUpdate(), MR::Ignore);

  // Qt alone would take Abort for Escape.
  WhenModal([&](QMessageBox& box) {
    Press(&box, Qt::Key_Escape);
    EXPECT_TRUE(box.isVisible());
    if (QAbstractButton* b = Button(box, "Retry")) b->click();
  });
  EXPECT_EQ(MessageDlg(nullptr, "Download failed", DialogKind::Error, {MR::Abort, MR::Retry}),
            MR::Retry);
}

TEST_F(DialogsTest, EscapePressesTheCancelOrNoButton) {
  const struct {
    std::vector<MR> buttons;
    MR expected;
  } cases[] = {
      {{MR::Yes, MR::No, MR::Cancel}, MR::Cancel}, {{MR::Yes, MR::No}, MR::No}, {{MR::Ok}, MR::Ok}};
  for (const auto& c : cases) {
    WhenModal([](QMessageBox& box) { Press(&box, Qt::Key_Escape); });
    EXPECT_EQ(MessageDlg(nullptr, "text", DialogKind::Confirmation, c.buttons), c.expected);
  }
}

TEST_F(DialogsTest, CloseBoxGivesCancel) {
  const std::vector<MR> sets[] = {{MR::Yes, MR::Ignore}, {MR::Abort, MR::Retry}};
  for (const auto& buttons : sets) {
    WhenModal([](QMessageBox& box) { box.close(); });
    EXPECT_EQ(MessageDlg(nullptr, "text", DialogKind::Error, buttons), MR::Cancel);
  }
}

TEST_F(DialogsTest, CentredOnTheScreen) {
  QPoint centre, screenCentre;
  WhenModal([&](QMessageBox& box) {
    centre = box.frameGeometry().center();
    screenCentre = box.screen()->availableGeometry().center();
    box.close();
  });
  AskUpdate();
  EXPECT_LE((centre - screenCentre).manhattanLength(), 2)
      << centre.x() << "," << centre.y() << " vs " << screenCentre.x() << "," << screenCentre.y();
}

TEST_F(DialogsTest, ParentDestroyedWhileOpen) {
  auto* parent = new QWidget;
  parent->show();
  WhenModal([&](QMessageBox&) { delete parent; });
  EXPECT_EQ(AskUpdate(parent), MR::Cancel);
  EXPECT_EQ(OpenMessageBoxes(), 0);
}

TEST_F(DialogsTest, DialogWithParentIsDestroyedAfterwards) {
  QWidget parent;
  Dialogs::SetNextAnswer(MR::Yes);
  AskUpdate(&parent);
  WhenModal([&](QMessageBox& box) {
    if (QAbstractButton* b = Button(box, "Ignore")) b->click();
  });
  AskUpdate(&parent);
  EXPECT_TRUE(parent.findChildren<QMessageBox*>().isEmpty());
}

}  // namespace
}  // namespace slp
