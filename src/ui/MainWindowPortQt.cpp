#include "MainWindowPortQt.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFormLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <atomic>
#include <exception>
#include <thread>

#include "CommonDialogs.h"
#include "QtHelpers.h"
#include "qvr/QuestionLock.h"

namespace qvr {

MainWindowPortQt::MainWindowPortQt(QWidget* owner) : owner_(owner) {
  QuestionLock();  // made here, on the window's thread, before any worker asks
}

void MainWindowPortQt::setBusyCursor(bool busy) {
  if (busy) {
    if (busy_++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
  } else if (busy_ > 0 && --busy_ == 0) {
    QApplication::restoreOverrideCursor();
  }
}

MsgResult MainWindowPortQt::messageBox(const std::string& text, MsgIcon icon, MsgButtons buttons) {
  return MessageBoxOn(owner_, text, icon, buttons);
}

std::string MainWindowPortQt::inputBox(const std::string& prompt, const std::string& title,
                                       const std::string& defaultText) {
  bool ok = false;
  QString text =
      QInputDialog::getText(owner_, Q(title), Q(prompt), QLineEdit::Normal, Q(defaultText), &ok);
  return ok ? text.toStdString() : "";
}

std::optional<std::string> MainWindowPortQt::passwordBox(const std::string& prompt) {
  std::optional<std::string> answer;
  auto ask = [&] {
    QInputDialog dialog(owner_);
    dialog.setObjectName(QStringLiteral("qvrPasswordDialog"));
    dialog.setWindowTitle(QCoreApplication::translate("MainWindowPortQt", "パスワードの入力"));
    dialog.setLabelText(Q(prompt));
    dialog.setTextEchoMode(QLineEdit::Password);
    if (dialog.exec() == QDialog::Accepted) answer = dialog.textValue().toStdString();
  };
  // A library asks from the worker of runResponsive; the question belongs to this window.
  onWindowThread(ask);
  return answer;
}

std::optional<std::string> MainWindowPortQt::newPasswordBox(const std::string& prompt) {
  QDialog dialog(owner_);
  dialog.setObjectName(QStringLiteral("qvrNewPasswordDialog"));
  dialog.setWindowTitle(QCoreApplication::translate("MainWindowPortQt", "パスワードの設定"));
  auto* first = new QLineEdit(&dialog);
  auto* again = new QLineEdit(&dialog);
  first->setObjectName(QStringLiteral("txtPassword"));
  again->setObjectName(QStringLiteral("txtPasswordAgain"));
  for (QLineEdit* line : {first, again}) line->setEchoMode(QLineEdit::Password);
  auto* mismatch = new QLabel(
      QCoreApplication::translate("MainWindowPortQt", "パスワードが一致しません。"), &dialog);
  mismatch->setObjectName(QStringLiteral("lblMismatch"));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
  auto* form = new QFormLayout;
  form->addRow(QCoreApplication::translate("MainWindowPortQt", "パスワード(&P):"), first);
  form->addRow(QCoreApplication::translate("MainWindowPortQt", "もう一度(&A):"), again);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(Q(prompt), &dialog));
  layout->addLayout(form);
  layout->addWidget(mismatch);
  layout->addWidget(buttons);
  // OK only once both entries hold the same, not empty password.
  auto check = [=] {
    const bool same = first->text() == again->text();
    mismatch->setVisible(!again->text().isEmpty() && !same);
    ok->setEnabled(!first->text().isEmpty() && same);
  };
  QObject::connect(first, &QLineEdit::textChanged, &dialog, check);
  QObject::connect(again, &QLineEdit::textChanged, &dialog, check);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  check();
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return first->text().toStdString();
}

std::string MainWindowPortQt::browseForFolder() {
  return BrowseForFolder(owner_);
}

std::string MainWindowPortQt::openFileDialog(const std::vector<std::string>& filter,
                                             const std::string& initialFolder) {
  return OpenFileDialog(owner_, filter, initialFolder);
}

std::string MainWindowPortQt::saveFileDialog(const std::vector<std::string>& filter,
                                             const std::string& initialFolder) {
  return SaveFileDialog(owner_, filter, initialFolder);
}

void* MainWindowPortQt::ownerWindow() const {
  return owner_;
}

// The work runs on a thread of its own while this thread answers the window; libraries
// that ask a question show it on this thread and wait for the answer.
void MainWindowPortQt::runResponsive(const std::function<void()>& work) {
  std::atomic<bool> done{false};
  std::exception_ptr failure;
  QObject wake;  // the worker's last call to it wakes this thread
  std::thread worker([&] {
    try {
      work();
    } catch (...) {
      failure = std::current_exception();
    }
    done = true;
    QMetaObject::invokeMethod(
        &wake, [] {}, Qt::QueuedConnection);
  });
  // Not a nested event loop: one that an earlier quit request ends at once would leave a
  // library waiting for its question to be shown.
  while (!done) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  worker.join();
  if (failure) std::rethrow_exception(failure);
}

void MainWindowPortQt::onWindowThread(const std::function<void()>& work) {
  if (QThread::currentThread() == qApp->thread()) {
    work();
    return;
  }
  // Only workers take the lock, so the window's thread never waits for it; a second worker's
  // question waits until the first one's box is closed instead of opening above it.
  std::lock_guard lock(QuestionLock());
  QMetaObject::invokeMethod(qApp, work, Qt::BlockingQueuedConnection);
}

void MainWindowPortQt::pumpEvents() {
  // Repaints and hand-offs only: a click must not start a second command in the middle.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace qvr
