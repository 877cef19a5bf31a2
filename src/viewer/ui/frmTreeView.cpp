#include "frmTreeView.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <vector>

#include "QtHelpers.h"
#include "Translate.h"

namespace qvr {

frmTreeView::frmTreeView(const std::string& archivePath, const LibraryStatus& status,
                         MainWindowPort& window, QWidget* parent)
    : QDialog(parent), archive_(archivePath), status_(status), window_(window) {
  setObjectName("frmTreeView");
  setWindowTitle("QuiverArchiver");
  setModal(true);
  TreeView1 = new QTreeWidget(this);
  TreeView1->setObjectName("TreeView1");
  TreeView1->setHeaderHidden(true);
  Btn_Add = new QPushButton(TrQ("frmTreeView", "フォルダ作成"), this);
  Btn_Add->setObjectName("Btn_Add");
  Btn_OK = new QPushButton("OK", this);
  Btn_OK->setObjectName("Btn_OK");
  Btn_Cancel = new QPushButton(TrQ("frmTreeView", "キャンセル"), this);
  Btn_Cancel->setObjectName("Btn_Cancel");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Btn_Add);
  buttons->addStretch();
  buttons->addWidget(Btn_OK);
  buttons->addWidget(Btn_Cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(TreeView1);
  layout->addLayout(buttons);
  resize(360, 420);

  connect(TreeView1, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
    selectedPath_ = item->data(0, Qt::UserRole).toString().toStdString();
  });
  connect(Btn_Add, &QPushButton::clicked, this, &frmTreeView::OnAdd);
  connect(Btn_OK, &QPushButton::clicked, this, &frmTreeView::OnOk);
  connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);

  ArchiveTree& tree = tree_;
  void* owner = static_cast<QWidget*>(this);
  window_.runResponsive([&] { BuildArchiveTree(tree, archive_, status_, owner); });
  Fill();
}

void frmTreeView::Fill() {
  TreeView1->clear();
  std::vector<QTreeWidgetItem*> items;
  for (const ArchiveTree::Node& node : tree_.nodes()) {
    QTreeWidgetItem* item = node.parent < 0 ? new QTreeWidgetItem(TreeView1)
                                            : new QTreeWidgetItem(items[size_t(node.parent)]);
    item->setText(0, Q(node.text));
    item->setData(0, Qt::UserRole, Q(node.key));
    items.push_back(item);
    if (node.key == selectedPath_) TreeView1->setCurrentItem(item);
  }
  TreeView1->expandAll();
}

void frmTreeView::OnAdd() {
  if (AddFolderNode(tree_, selectedPath_, window_)) Fill();
}

void frmTreeView::OnOk() {
  int32_t count =
      ComposerOk(archive_, selectedPath_, status_, window_, static_cast<QWidget*>(this));
  if (count < 0) return;  // nothing chosen: the dialog stays
  added_ = true;
  accept();
}

}  // namespace qvr
