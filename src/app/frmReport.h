// The report window of a run: one row per archive (what became of it and why, the entries
// written), the entries left out below their archive with the reason; "コピー(&C)" puts the
// rows on the clipboard as text (the lines Log.txt has).
#pragma once

#include <QDialog>

class QTreeWidget;

namespace qvr {

class RunReport;

class frmReport : public QDialog {
  Q_OBJECT

 public:
  frmReport(const RunReport& report, QWidget* parent = nullptr);
  QTreeWidget* rows() const { return List1; }

 private:
  QTreeWidget* List1 = nullptr;
};

}  // namespace qvr
