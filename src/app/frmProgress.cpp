#include "frmProgress.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QVBoxLayout>

#include "Form1.h"
#include "RunProgressView.h"

namespace qvr {

frmProgress::frmProgress(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("frmProgress");
  setWindowTitle(ProgramCaption() + QCoreApplication::translate("frmProgress", " - 解凍中"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  view_ = new RunProgressView(true, this);
  layout->addWidget(view_);
  resize(420, sizeHint().height());
}

void frmProgress::Follow(RunProgress* progress) {
  view_->Follow(progress);
  if (progress) {
    show();
    raise();
  } else {
    hide();
  }
}

void frmProgress::closeEvent(QCloseEvent* event) {
  if (view_->progress()) {
    view_->Cancel();
    event->ignore();  // the window goes when the run is over
    return;
  }
  QWidget::closeEvent(event);
}

void frmProgress::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && view_->progress()) {
    view_->Cancel();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace qvr
