#include "frmReport.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "Form1.h"
#include "PathHelpers.h"
#include "QtHelpers.h"
#include "RunReport.h"

namespace qvr {
namespace {

QTreeWidgetItem* RowItem(const ReportRow& row, ReportKind kind) {
  const QString written = row.written < 0 ? QStringLiteral("-") : QString::number(row.written);
  auto* item = new QTreeWidgetItem(
      {Q(FileNameOf(row.archive)), Q(OutcomeText(row.outcome, kind)), Q(row.reason), written,
       row.skipped.empty() ? QString() : QString::number(row.skipped.size())});
  item->setToolTip(0, Q(row.archive));
  for (const auto& [entry, reason] : row.skipped)
    item->addChild(new QTreeWidgetItem(
        {Q(entry), QCoreApplication::translate("frmReport", "除外"), Q(ReasonOfSkip(reason))}));
  return item;
}

}  // namespace

frmReport::frmReport(const RunReport& report, QWidget* parent) : QDialog(parent) {
  setObjectName("frmReport");
  setWindowTitle(ProgramCaption() + QCoreApplication::translate("frmReport", " - 詳細"));
  auto* layout = new QVBoxLayout(this);
  List1 = new QTreeWidget(this);
  List1->setObjectName("List1");
  List1->setHeaderLabels({QCoreApplication::translate("frmReport", "書庫"),
                          QCoreApplication::translate("frmReport", "結果"),
                          QCoreApplication::translate("frmReport", "理由"),
                          report.kind() == ReportKind::Test
                              ? QCoreApplication::translate("frmReport", "検査済み")
                              : QCoreApplication::translate("frmReport", "書き出し"),
                          QCoreApplication::translate("frmReport", "除外")});
  List1->setRootIsDecorated(true);
  List1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  for (const ReportRow& row : report.rows()) List1->addTopLevelItem(RowItem(row, report.kind()));
  List1->expandAll();
  for (int column = 0; column < List1->columnCount(); ++column)
    List1->resizeColumnToContents(column);
  layout->addWidget(List1);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* copy = buttons->addButton(QCoreApplication::translate("frmReport", "コピー(&C)"),
                                         QDialogButtonBox::ActionRole);
  buttons->addButton(QCoreApplication::translate("frmReport", "閉じる"),
                     QDialogButtonBox::RejectRole);
  copy->setObjectName("Btn_Copy");
  const QString text = Q(report.Text());
  connect(copy, &QPushButton::clicked, this, [text] { QApplication::clipboard()->setText(text); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  resize(720, 360);
}

}  // namespace qvr
