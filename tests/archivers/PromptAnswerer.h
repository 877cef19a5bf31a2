// Answers the dialogs of our libraries in Qt tests: a timer looks for the modal dialog that
// a library opened (also from a worker thread) and presses its button or types the password.
#pragma once

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace qvr::test {

// Answers every dialog of ours that opens: the overwrite question with `button`, the
// password question with `password` (empty = Cancel). Counts what it saw.
class Answerer : public QObject {
 public:
  Answerer(QWidget* owner, QMessageBox::StandardButton button, QString password = {})
      : owner_(owner), button_(button), password_(std::move(password)) {
    connect(&timer_, &QTimer::timeout, this, &Answerer::Poll);
    timer_.start(10);
  }
  int questions = 0;
  int passwords = 0;
  bool ownedByOwner = true;

 private:
  void Poll() {
    QWidget* w = QApplication::activeModalWidget();
    if (!w) return;
    ownedByOwner = ownedByOwner && w->parentWidget() == owner_;
    if (auto* box = qobject_cast<QMessageBox*>(w);
        box && box->objectName() == "qvrOverwriteDialog") {
      ++questions;
      box->button(button_)->click();
    } else if (auto* in = qobject_cast<QInputDialog*>(w);
               in && in->objectName() == "qvrPasswordDialog") {
      ++passwords;
      if (password_.isEmpty()) {
        in->reject();
      } else {
        in->setTextValue(password_);
        in->accept();
      }
    }
  }
  QWidget* owner_;
  QMessageBox::StandardButton button_;
  QString password_;
  QTimer timer_;
};

}  // namespace qvr::test
