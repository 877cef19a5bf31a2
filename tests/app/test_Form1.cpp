#include <QtTest>

#include "Form1.h"

class TestForm1 : public QObject {
  Q_OBJECT

 private slots:
  void captionCarriesTheVersion() {
    qvr::Form1 form;
    QVERIFY(form.windowTitle().startsWith("QuiverArchiver v"));
    QCOMPARE(form.windowTitle().count('.'), 2);
  }
};

QTEST_MAIN(TestForm1)
#include "test_Form1.moc"
