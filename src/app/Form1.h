// The main window: the program's only entry, alive for the whole process.
#pragma once

#include <QMainWindow>

namespace qvr {

class Form1 : public QMainWindow {
  Q_OBJECT

 public:
  explicit Form1(QWidget* parent = nullptr);
};

// "QuiverArchiver v" + major.minor.revision.
QString ProgramCaption();

}  // namespace qvr
