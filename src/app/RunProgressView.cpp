#include "RunProgressView.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <chrono>

#include "MainWindowPort.h"
#include "PathHelpers.h"
#include "QtHelpers.h"
#include "RunProgress.h"

namespace qvr {

QString TimeLeftText(int64_t seconds) {
  return QCoreApplication::translate("RunProgressView", "残り ") +
         Q(FormatElapsed(std::chrono::seconds(seconds)));
}

RunProgressView::RunProgressView(bool withCancel, QWidget* parent) : QWidget(parent) {
  setObjectName("RunProgressView");
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(6, 4, 6, 2);
  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressBar1->setRange(0, 1000);
  ProgressBar1->setFormat("%p%");
  lblProgress = new QLabel(this);
  lblProgress->setObjectName("lblProgress");
  // A long path must not widen the window: it is cut in the middle instead.
  lblProgress->setMinimumWidth(1);
  lblProgress->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  lblTimeLeft = new QLabel(this);
  lblTimeLeft->setObjectName("lblTimeLeft");
  grid->addWidget(ProgressBar1, 0, 0);
  grid->addWidget(lblTimeLeft, 0, 1);
  grid->addWidget(lblProgress, 1, 0, 1, 2);
  if (withCancel) {
    Btn_Cancel = new QPushButton(QCoreApplication::translate("RunProgressView", "中止"), this);
    Btn_Cancel->setObjectName("Btn_Cancel");
    grid->addWidget(Btn_Cancel, 0, 2, 2, 1);
    connect(Btn_Cancel, &QPushButton::clicked, this, &RunProgressView::Cancel);
  }
  grid->setColumnStretch(0, 1);
  // Ten readings a second: smooth to the eye, and cheap beside the work.
  timer_.setInterval(100);
  connect(&timer_, &QTimer::timeout, this, &RunProgressView::Refresh);
  hide();
}

void RunProgressView::Follow(RunProgress* progress) {
  if (!progress) {
    // The last reading first: a run that ended whole shows its end.
    Refresh();
    progress_ = nullptr;
    timer_.stop();
    hide();
    return;
  }
  progress_ = progress;
  ProgressBar1->setValue(0);
  lblProgress->clear();
  lblTimeLeft->clear();
  Refresh();
  show();
  timer_.start();
}

void RunProgressView::Cancel() {
  if (progress_) progress_->Cancel();
}

void RunProgressView::Refresh() {
  if (!progress_) return;
  RunProgress::View view = progress_->Read();
  if (view.busy) {
    ProgressBar1->setRange(0, 0);  // the busy bar: work goes on, with no measure
  } else {
    ProgressBar1->setRange(0, 1000);
    // Never back: a reading between two items cannot undo what the bar showed.
    if (view.permille > ProgressBar1->value()) ProgressBar1->setValue(view.permille);
  }
  QString item = Q(FileNameOf(view.item));
  if (!view.entry.empty()) item += QStringLiteral(" : ") + Q(view.entry);
  lblProgress->setText(lblProgress->fontMetrics().elidedText(item, Qt::ElideMiddle,
                                                             std::max(lblProgress->width(), 50)));
  lblProgress->setToolTip(Q(view.item));
  lblTimeLeft->setText(view.secondsLeft ? TimeLeftText(*view.secondsLeft) : QString());
}

}  // namespace qvr
