// What the options dialogs' tests share: a fresh application folder, registry store and
// HOME per test, controls found by their design names, the settings file read back, and
// the next modal box answered as soon as it shows.
#pragma once

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "AppFolder.h"
#include "ProfileFile.h"
#include "TempDir.h"

namespace qvr::test {

inline QString text(const char* utf8) {
  return QString::fromUtf8(utf8);
}

// What the controls of one key show, as the key's value: a check box "0"/"1", a text or list
// box its text, an option group (its buttons in index order) the chosen index, "" when none.
inline std::string ShownValue(QWidget& dialog, const std::vector<const char*>& controls) {
  if (controls.size() > 1) {
    std::string chosen;
    for (size_t i = 0; i < controls.size(); ++i)
      if (dialog.findChild<QRadioButton*>(controls[i])->isChecked()) chosen += std::to_string(i);
    return chosen;  // two digits would be a broken group
  }
  QWidget* control = dialog.findChild<QWidget*>(controls[0]);
  if (!control) qFatal("no control %s", controls[0]);
  if (auto* box = qobject_cast<QCheckBox*>(control)) return box->isChecked() ? "1" : "0";
  if (auto* line = qobject_cast<QLineEdit*>(control)) return line->text().toStdString();
  return qobject_cast<QComboBox*>(control)->currentText().toStdString();
}

class OptionDialogTest {
 public:
  // A new application folder, XDG_CONFIG_HOME (the registry store), HOME and XDG_DATA_HOME.
  void Fresh() {
    app = std::make_unique<TempDir>();
    home = std::make_unique<TempDir>();
    SetAppFolder(app->path());
    qputenv("HOME", QByteArray::fromStdString(home->path()));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(home->file(".config")));
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(home->file(".local/share")));
  }
  std::string iniPath() const { return app->file("QvrArc.ini"); }
  std::optional<std::string> ini(const char* section, const char* key) const {
    return profile::ReadString(iniPath(), section, key);
  }

  template <typename T>
  static T* child(QObject& parent, const char* name) {
    T* found = parent.findChild<T*>(name);
    if (!found) qFatal("no child %s", name);
    return found;
  }

  // Calls act with the next modal window of type T as soon as it shows (for up to
  // tries × 20 ms: a file dialog on a loaded machine can take seconds to show, and one that
  // nobody answers would hang the test); gaveUp runs when none showed.
  template <typename T>
  static void onNextModal(const std::function<void(T*)>& act, int triesLeft = 3000,
                          const std::function<void()>& gaveUp = {}) {
    QTimer::singleShot(20, [act, triesLeft, gaveUp] {
      if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
        act(window);
      } else if (triesLeft > 0) {
        onNextModal<T>(act, triesLeft - 1, gaveUp);
      } else if (gaveUp) {
        gaveUp();
      }
    });
  }
  static void onNextBox(const std::function<void(QMessageBox*)>& act, int triesLeft = 250) {
    onNextModal<QMessageBox>(act, triesLeft);
  }
  // Answers the next box (showing within tries × 20 ms) with OK; the text it showed, "" until
  // then, kNoBox when none showed.
  static std::shared_ptr<QString> closeNextBox(int tries = 250) {
    auto seen = std::make_shared<QString>();
    onNextModal<QMessageBox>(
        [seen](QMessageBox* box) {
          *seen = box->text();
          box->accept();
        },
        tries, [seen] { *seen = kNoBox; });
    return seen;
  }
  static inline const QString kNoBox = "(no box)";

  std::unique_ptr<TempDir> app;
  std::unique_ptr<TempDir> home;
};

}  // namespace qvr::test
