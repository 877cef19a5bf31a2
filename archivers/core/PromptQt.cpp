// The overwrite and password questions as Qt dialogs owned by the host's window. They are
// always shown on the GUI thread: a call made from a worker thread waits for the answer.
#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QThread>
#include <QWidget>
#include <functional>

#include "Prompt.h"
#include "qvr/QuestionLock.h"

namespace qvr::arc {
namespace {

// Runs `ask` on the GUI thread and waits; false when there is no application to ask in.
bool OnGuiThread(const std::function<void()>& ask) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || !qobject_cast<QApplication*>(app)) return false;
  if (QThread::currentThread() == app->thread()) {
    ask();
  } else {
    std::lock_guard lock(QuestionLock());  // workers of one run ask one at a time
    QMetaObject::invokeMethod(app, ask, Qt::BlockingQueuedConnection);
  }
  return true;
}

class QtPrompter final : public Prompter {
 public:
  OverwriteAnswer AskOverwrite(void* owner, const std::string& path) override {
    OverwriteAnswer answer = OverwriteAnswer::No;
    if (!owner) return answer;
    QPointer<QWidget> parent(static_cast<QWidget*>(owner));
    OnGuiThread([&] {
      QMessageBox box(QMessageBox::Question, QStringLiteral("上書きの確認"),
                      QStringLiteral("「%1」はすでに存在します。\n上書きしますか？")
                          .arg(QString::fromStdString(path)),
                      QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No |
                          QMessageBox::NoToAll | QMessageBox::Cancel,
                      parent.data());
      box.setObjectName(QStringLiteral("qvrOverwriteDialog"));
      box.setDefaultButton(QMessageBox::No);
      box.setEscapeButton(QMessageBox::Cancel);
      switch (box.exec()) {
        case QMessageBox::Yes:
          answer = OverwriteAnswer::Yes;
          break;
        case QMessageBox::YesToAll:
          answer = OverwriteAnswer::YesToAll;
          break;
        case QMessageBox::NoToAll:
          answer = OverwriteAnswer::NoToAll;
          break;
        case QMessageBox::Cancel:
          answer = OverwriteAnswer::Cancel;
          break;
        default:
          answer = OverwriteAnswer::No;
      }
    });
    return answer;
  }

  bool AskPassword(void* owner, const std::string& archive, std::string& password) override {
    if (!owner) return false;
    QPointer<QWidget> parent(static_cast<QWidget*>(owner));
    bool given = false;
    OnGuiThread([&] {
      QInputDialog dialog(parent.data());
      dialog.setObjectName(QStringLiteral("qvrPasswordDialog"));
      dialog.setWindowTitle(QStringLiteral("パスワードの入力"));
      dialog.setLabelText(QStringLiteral("「%1」のパスワードを入力してください。")
                              .arg(QString::fromStdString(archive)));
      dialog.setTextEchoMode(QLineEdit::Password);
      if (dialog.exec() == QDialog::Accepted) {
        password = dialog.textValue().toStdString();
        given = true;
      }
    });
    return given;
  }
};

}  // namespace

Prompter& ThePrompter() {
  static QtPrompter prompter;
  return prompter;
}

}  // namespace qvr::arc
