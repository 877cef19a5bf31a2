#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "AppFolder.h"
#include "Form1.h"
#include "TempDir.h"
#include "frmFiltering.h"

using qvr::Form1;
using qvr::frmFiltering;
using qvr::test::ReadFile;
using qvr::test::TempDir;
using qvr::test::WriteFile;

class TestFrmFiltering : public QObject {
  Q_OBJECT

  std::unique_ptr<TempDir> app;

  template <typename T>
  static T* child(QObject& parent, const char* name) {
    T* found = parent.findChild<T*>(name);
    if (!found) qFatal("no child %s", name);
    return found;
  }
  static void fill(Form1& form) {
    for (const char* p : {"/a/x.lzh", "/a/y.zip", "/b/z.lzh"}) form.listAdd(p);
  }
  // Works the modal dialog that the next command opens.
  static void whenOpen(std::function<void(frmFiltering&)> work) {
    QTimer::singleShot(50, [work] {
      if (auto* dialog = qobject_cast<frmFiltering*>(QApplication::activeModalWidget())) {
        work(*dialog);
      }
    });
  }

 private slots:
  void init() {
    app = std::make_unique<TempDir>();
    qvr::SetAppFolder(app->path());
  }

  void opensWithHistoriesAndTheReleaseButtonByState() {
    WriteFile(app->file("FilterName.hst"), "abc def\r\n日本\r\n");
    WriteFile(app->file("FilterExt.hst"), "lzh\r\n");
    Form1 form;
    frmFiltering off(form, false);
    auto* names = child<QComboBox>(off, "cmbFilterFileName");
    QCOMPARE(names->count(), 2);
    QCOMPARE(names->itemText(0), QString("abc def"));
    QCOMPARE(names->itemText(1), QString::fromUtf8("日本"));
    QCOMPARE(names->currentText(), QString());
    QCOMPARE(child<QComboBox>(off, "cmbFilterExtension")->count(), 1);
    QVERIFY(!child<QPushButton>(off, "Btn_NonExecute")->isEnabled());
    QCOMPARE(child<QPushButton>(off, "Btn_Execute")->text(), QString::fromUtf8("適用"));
    QCOMPARE(child<QPushButton>(off, "Btn_Close")->text(), QString::fromUtf8("閉じる"));
    QCOMPARE(child<QRadioButton>(off, "optNotInclude")->text(), QString::fromUtf8("含まない"));
    frmFiltering on(form, true);
    QVERIFY(child<QPushButton>(on, "Btn_NonExecute")->isEnabled());
  }

  void applyThenReleaseThroughTheMenu() {
    Form1 form;
    fill(form);
    auto* menu = child<QAction>(form, "MnuFiltering");
    whenOpen([](frmFiltering& dialog) {
      child<QComboBox>(dialog, "cmbFilterExtension")->setEditText("lzh");
      child<QRadioButton>(dialog, "optInclude")->setChecked(true);
      child<QPushButton>(dialog, "Btn_Execute")->click();
    });
    menu->trigger();
    QVERIFY(menu->isChecked());
    QCOMPARE(form.listCount(), 2);
    QCOMPARE(ReadFile(app->file("original.lst")),
             std::string("/a/x.lzh\r\n/a/y.zip\r\n/b/z.lzh\r\n"));
    QCOMPARE(ReadFile(app->file("FilterExt.hst")), std::string("lzh\r\n"));
    QVERIFY(!std::filesystem::exists(app->file("FilterName.hst")));

    // Closing changes nothing.
    whenOpen([](frmFiltering& dialog) { child<QPushButton>(dialog, "Btn_Close")->click(); });
    menu->trigger();
    QVERIFY(menu->isChecked());
    QCOMPARE(form.listCount(), 2);

    whenOpen([](frmFiltering& dialog) { child<QPushButton>(dialog, "Btn_NonExecute")->click(); });
    menu->trigger();
    QVERIFY(!menu->isChecked());
    QCOMPARE(form.listCount(), 3);
    QCOMPARE(form.listItem(1), std::string("/a/y.zip"));
  }

  void releaseWithoutTheSavedListKeepsTheList() {
    Form1 form;
    fill(form);
    frmFiltering apply(form, false);
    child<QComboBox>(apply, "cmbFilterFileName")->setEditText("z");
    child<QRadioButton>(apply, "optNotInclude")->setChecked(true);
    child<QPushButton>(apply, "Btn_Execute")->click();
    QVERIFY(apply.filterState());
    QCOMPARE(form.listCount(), 2);
    std::filesystem::remove(app->file("original.lst"));
    frmFiltering release(form, true);
    child<QPushButton>(release, "Btn_NonExecute")->click();
    QVERIFY(!release.filterState());
    QCOMPARE(form.listCount(), 2);
  }
};

QTEST_MAIN(TestFrmFiltering)
#include "test_frmFiltering.moc"
