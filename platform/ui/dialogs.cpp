#include "platform/ui/dialogs.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <deque>

#include "locale/qt/translate_component.h"

namespace slp {

namespace {

struct ButtonKind {
  ModalResult result;
  QMessageBox::StandardButton standard;
  const char* name;
};

constexpr ButtonKind kButtonKinds[] = {
    {ModalResult::Ok, QMessageBox::Ok, "OK"},
    {ModalResult::Cancel, QMessageBox::Cancel, "Cancel"},
    {ModalResult::Abort, QMessageBox::Abort, "Abort"},
    {ModalResult::Retry, QMessageBox::Retry, "Retry"},
    {ModalResult::Ignore, QMessageBox::Ignore, "Ignore"},
    {ModalResult::Yes, QMessageBox::Yes, "Yes"},
    {ModalResult::No, QMessageBox::No, "No"},
};

const ButtonKind* KindOf(ModalResult result) {
  for (const auto& kind : kButtonKinds) {
    if (kind.result == result) return &kind;
  }
  return nullptr;
}

std::deque<ModalResult>& Answers() {
  static std::deque<ModalResult> answers;
  return answers;
}

std::optional<DialogRecord>& Last() {
  static std::optional<DialogRecord> last;
  return last;
}

QString StandardTitle(DialogKind kind) {
  switch (kind) {
    case DialogKind::Confirmation:
      return QStringLiteral("Confirm");
    case DialogKind::Warning:
      return QStringLiteral("Warning");
    case DialogKind::Error:
      return QStringLiteral("Error");
    case DialogKind::Information:
      break;
  }
  return QStringLiteral("Information");
}

QMessageBox::Icon IconOf(DialogKind kind) {
  switch (kind) {
    case DialogKind::Confirmation:
      return QMessageBox::Question;
    case DialogKind::Warning:
      return QMessageBox::Warning;
    case DialogKind::Error:
      return QMessageBox::Critical;
    case DialogKind::Information:
      break;
  }
  return QMessageBox::Information;
}

// Qt's box picks its Escape button by role (Abort would qualify) and refuses the close box
// when it finds none; here Escape follows the explicit rule and the close box always ends the
// dialog with no button clicked, which reads as Cancel.
class MessageDialog : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

  QAbstractButton* escape = nullptr;
  bool centred = false;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->matches(QKeySequence::Cancel)) {
      if (escape != nullptr) escape->click();
      event->accept();
      return;
    }
    QMessageBox::keyPressEvent(event);
  }

  void closeEvent(QCloseEvent* event) override { QDialog::closeEvent(event); }

  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);
    if (!centred) return;
    QScreen* screen =
        parentWidget() != nullptr ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    QRect frame(QPoint(), frameGeometry().size());  // the client size until the frame is known
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
};

ModalResult ResultOf(const MessageDialog& box, QAbstractButton* button) {
  if (button == nullptr) return ModalResult::None;
  const auto standard = box.standardButton(button);
  for (const auto& kind : kButtonKinds) {
    if (kind.standard == standard) return kind.result;
  }
  return ModalResult::None;
}

}  // namespace

ModalResult MessageDlg(QWidget* parent, const QString& text, DialogKind kind,
                       const std::vector<ModalResult>& buttons, const MessageDlgOptions& options) {
  auto* box = new MessageDialog(parent);
  QPointer<MessageDialog> guard(box);
  // The standard texts pass through the catalog like every other text.
  box->setWindowTitle(options.title.isEmpty() ? gettext(StandardTitle(kind)) : options.title);
  box->setText(text);
  box->setIcon(IconOf(kind));
  box->setWindowFlag(Qt::WindowStaysOnTopHint, options.stayOnTop);
  box->centred = options.centred;

  DialogRecord record;
  for (ModalResult result : buttons) {
    const ButtonKind* bk = KindOf(result);
    if (bk == nullptr || box->button(bk->standard) != nullptr) continue;
    QPushButton* button = box->addButton(bk->standard);
    button->setObjectName(QString::fromLatin1(bk->name));
    button->setText(gettext(button->text()));
    for (const auto& [which, caption] : options.captions) {
      if (which == result) button->setText(caption);
    }
    record.buttons.push_back(result);
    record.captions.push_back(button->text());
  }

  auto present = [box](ModalResult r) {
    const ButtonKind* bk = KindOf(r);
    return bk != nullptr && box->button(bk->standard) != nullptr;
  };
  ModalResult def = present(options.defaultButton) ? options.defaultButton : ModalResult::None;
  if (options.defaultButton == ModalResult::None) {
    for (ModalResult r : {ModalResult::Ok, ModalResult::Yes, ModalResult::Retry}) {
      if (present(r)) {
        def = r;
        break;
      }
    }
  }
  if (def != ModalResult::None) box->setDefaultButton(KindOf(def)->standard);
  for (ModalResult r : {ModalResult::Cancel, ModalResult::No, ModalResult::Ok}) {
    if (present(r)) {
      box->escape = box->button(KindOf(r)->standard);
      break;
    }
  }

  record.title = box->windowTitle();
  record.text = box->text();
  record.icon = box->icon();
  record.defaultButton = ResultOf(*box, box->defaultButton());
  record.escapeButton = ResultOf(*box, box->escape);
  record.stayOnTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
  record.centred = box->centred;
  Last() = record;

  ModalResult answer = ModalResult::Cancel;
  if (!Answers().empty()) {
    answer = Answers().front();
    Answers().pop_front();
  } else {
    box->exec();
    // The parent may have gone during the dialog's own event loop, taking the dialog along.
    if (guard == nullptr) return ModalResult::Cancel;
    if (QAbstractButton* clicked = box->clickedButton()) answer = ResultOf(*box, clicked);
  }
  delete guard.data();
  return answer;
}

void Dialogs::SetNextAnswer(ModalResult answer) { Answers().push_back(answer); }
void Dialogs::ClearAnswers() { Answers().clear(); }
std::size_t Dialogs::PendingAnswers() { return Answers().size(); }
const std::optional<DialogRecord>& Dialogs::LastDialog() { return Last(); }
void Dialogs::ClearLastDialog() { Last().reset(); }

}  // namespace slp
