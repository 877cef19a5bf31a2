#include "MainWindowPortQt.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <atomic>
#include <exception>
#include <thread>

#include "QtHelpers.h"

namespace qvr {
namespace {

// "説明(*.a,*.b)" / "*.a;*.b" pairs as Qt name filters.
QString QtFilter(const std::vector<std::string>& filter) {
  QStringList filters;
  for (size_t i = 0; i + 1 < filter.size(); i += 2) {
    QString patterns = Q(filter[i + 1]).replace(';', ' ');
    filters << Q(filter[i]) + " (" + patterns + ")";
  }
  return filters.join(";;");
}

}  // namespace

MainWindowPortQt::MainWindowPortQt(QWidget* owner) : owner_(owner) {}

void MainWindowPortQt::setBusyCursor(bool busy) {
  if (busy) {
    if (busy_++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
  } else if (busy_ > 0 && --busy_ == 0) {
    QApplication::restoreOverrideCursor();
  }
}

MsgResult MainWindowPortQt::messageBox(const std::string& text, MsgIcon icon, MsgButtons buttons) {
  QMessageBox box(owner_);
  box.setWindowTitle(QString::fromUtf8(kProgramTitle));
  box.setText(Q(text).replace("\r\n", "\n"));
  switch (icon) {
    case MsgIcon::Critical:
      box.setIcon(QMessageBox::Critical);
      break;
    case MsgIcon::Question:
      box.setIcon(QMessageBox::Question);
      break;
    case MsgIcon::Exclamation:
      box.setIcon(QMessageBox::Warning);
      break;
    case MsgIcon::Information:
      box.setIcon(QMessageBox::Information);
      break;
    case MsgIcon::None:
      break;
  }
  switch (buttons) {
    case MsgButtons::Ok:
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case MsgButtons::OkCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      break;
    case MsgButtons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      break;
    case MsgButtons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
    case MsgButtons::YesNoAllCancel:
      // The overwrite question, as our libraries ask it: No unless the user says otherwise.
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No |
                             QMessageBox::NoToAll | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::No);
      box.setEscapeButton(QMessageBox::Cancel);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Cancel:
      return MsgResult::Cancel;
    case QMessageBox::Yes:
      return MsgResult::Yes;
    case QMessageBox::YesToAll:
      return MsgResult::YesToAll;
    case QMessageBox::No:
      return MsgResult::No;
    case QMessageBox::NoToAll:
      return MsgResult::NoToAll;
    default:
      return buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Ok;
  }
}

std::string MainWindowPortQt::inputBox(const std::string& prompt, const std::string& title,
                                       const std::string& defaultText) {
  bool ok = false;
  QString text =
      QInputDialog::getText(owner_, Q(title), Q(prompt), QLineEdit::Normal, Q(defaultText), &ok);
  return ok ? text.toStdString() : "";
}

std::string MainWindowPortQt::browseForFolder() {
  return QFileDialog::getExistingDirectory(owner_).toStdString();
}

std::string MainWindowPortQt::openFileDialog(const std::vector<std::string>& filter,
                                             const std::string& initialFolder) {
  return QFileDialog::getOpenFileName(owner_, QString(), Q(initialFolder), QtFilter(filter))
      .toStdString();
}

std::string MainWindowPortQt::saveFileDialog(const std::vector<std::string>& filter,
                                             const std::string& initialFolder) {
  return QFileDialog::getSaveFileName(owner_, QString(), Q(initialFolder), QtFilter(filter))
      .toStdString();
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

void MainWindowPortQt::pumpEvents() {
  // Repaints and hand-offs only: a click must not start a second command in the middle.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace qvr
