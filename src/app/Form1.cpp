#include "Form1.h"

#include "MainWindowPort.h"
#include "Version.h"

namespace qvr {

QString ProgramCaption() {
  return QStringLiteral("%1 v%2.%3.%4")
      .arg(QString::fromUtf8(kProgramTitle))
      .arg(kVersionMajor)
      .arg(kVersionMinor)
      .arg(kVersionRevision);
}

Form1::Form1(QWidget* parent) : QMainWindow(parent) {
  setObjectName("Form1");
  setWindowTitle(ProgramCaption());
  resize(480, 360);
}

}  // namespace qvr
