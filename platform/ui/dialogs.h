#pragma once
// Modal message dialogs with a seam for tests: an answer queued beforehand is returned in
// place of showing the dialog, which is still built so that its contents can be checked.

#include <QMessageBox>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

class QWidget;

namespace slp {

// How a modal dialog ended, with the system's values.
enum class ModalResult {
  None = 0,
  Ok = 1,
  Cancel = 2,
  Abort = 3,
  Retry = 4,
  Ignore = 5,
  Yes = 6,
  No = 7
};

enum class DialogKind { Confirmation, Warning, Error, Information };

// Settings of a message dialog beyond its text, kind and buttons, set in a chain:
// MessageDlgOptions().Default(ModalResult::Yes).Caption(ModalResult::Yes, "Update").Centred()
struct MessageDlgOptions {
  // The button Enter presses. None: OK if present, else Yes, else Retry, else no default.
  ModalResult defaultButton = ModalResult::None;
  // Captions that replace the standard text of a button.
  std::vector<std::pair<ModalResult, QString>> captions;
  bool stayOnTop = false;
  // Placed at the centre of the parent's screen (the primary screen without a parent).
  bool centred = false;
  // Empty: the kind's standard title.
  QString title;

  MessageDlgOptions& Default(ModalResult button) {
    defaultButton = button;
    return *this;
  }
  MessageDlgOptions& Caption(ModalResult button, const QString& caption) {
    captions.emplace_back(button, caption);
    return *this;
  }
  MessageDlgOptions& StayOnTop(bool on = true) {
    stayOnTop = on;
    return *this;
  }
  MessageDlgOptions& Centred(bool on = true) {
    centred = on;
    return *this;
  }
  MessageDlgOptions& Title(const QString& text) {
    title = text;
    return *this;
  }
};

// What a dialog looked like, read back from the built dialog.
struct DialogRecord {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  std::vector<ModalResult> buttons;  // in the order given
  std::vector<QString> captions;     // caption of each button, same order
  ModalResult defaultButton = ModalResult::None;
  ModalResult escapeButton = ModalResult::None;  // None: Escape does nothing
  bool stayOnTop = false;
  bool centred = false;
};

// Shows a message dialog with `text` and one button for each result in `buttons` (each of Ok,
// Cancel, Abort, Retry, Ignore, Yes, No at most once) and returns the button's result once
// the user chose one. Escape presses Cancel if present, else No, else OK, else nothing; the
// close box gives Cancel. Each button's object name is its standard English name ("Yes",
// "Ignore", "OK", ...). The dialog is destroyed before returning, also when its parent went
// away while it was open.
ModalResult MessageDlg(QWidget* parent, const QString& text, DialogKind kind,
                       const std::vector<ModalResult>& buttons,
                       const MessageDlgOptions& options = MessageDlgOptions());

class Dialogs {
 public:
  // Queues `answer` for the next MessageDlg, which then builds its dialog and records it but
  // does not show it. Answers are used in the order queued.
  static void SetNextAnswer(ModalResult answer);
  static void ClearAnswers();
  static std::size_t PendingAnswers();
  // The last dialog MessageDlg built, shown or not; nothing before the first.
  static const std::optional<DialogRecord>& LastDialog();
  static void ClearLastDialog();
};

}  // namespace slp
