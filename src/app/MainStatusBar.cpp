#include "MainStatusBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <algorithm>

#include "QtHelpers.h"

namespace qvr {
namespace {

// ImageList1: the option pictures, drawn from the style's own icons so that they match the
// desktop theme. Picture 2 is the folder crossed out.
QPixmap ImageList1(const QStyle* style, int image) {
  const int size = 16;
  switch (image) {
    case kPicMakeFolder:
      return style->standardIcon(QStyle::SP_FileDialogNewFolder).pixmap(size);
    case kPicNoFolder: {
      QPixmap picture = style->standardIcon(QStyle::SP_DirClosedIcon).pixmap(size);
      QPainter painter(&picture);
      painter.setRenderHint(QPainter::Antialiasing);
      painter.setPen(QPen(QColor(200, 0, 0), 2));
      painter.drawLine(2, 2, size - 3, size - 3);
      painter.drawLine(2, size - 3, size - 3, 2);
      return picture;
    }
    case kPicKeepDirs:
      return style->standardIcon(QStyle::SP_DirOpenIcon).pixmap(size);
    case kPicIgnoreDirs:
      return style->standardIcon(QStyle::SP_FileIcon).pixmap(size);
    default:
      return QPixmap();
  }
}

void ShowPicture(QLabel* panel, const StatusPicture& picture) {
  panel->setPixmap(ImageList1(panel->style(), picture.image));
  panel->setToolTip(Q(picture.toolTip));
}

}  // namespace

MainStatusBar::MainStatusBar(QWidget* window) : QStatusBar(window) {
  setObjectName("StatusBar1");
  for (int i = 0; i < 5; ++i) {
    panels_[i] = new QLabel(this);
    panels_[i]->setObjectName(QString("Panel%1").arg(i + 1));
  }
  panels_[1]->setMinimumWidth(70);
  panels_[2]->setMinimumWidth(110);
  auto* pictures = new QWidget(this);
  auto* pictureRow = new QHBoxLayout(pictures);
  pictureRow->setContentsMargins(0, 0, 0, 0);
  pictureRow->setSpacing(0);
  for (int i = 3; i < 5; ++i) {
    panels_[i]->setParent(pictures);
    panels_[i]->setFixedWidth(qRound(300 / TwipsPerPixelX(*this)));
    panels_[i]->setAlignment(Qt::AlignCenter);
    pictureRow->addWidget(panels_[i]);
  }
  edge_ = new QWidget(pictures);
  pictureRow->addWidget(edge_);
  AlignPictures();
  addWidget(panels_[0], 1);
  for (int i = 1; i < 3; ++i) addPermanentWidget(panels_[i]);
  addPermanentWidget(pictures);
  setSizeGripEnabled(false);
}

void MainStatusBar::setPanelText(int panel, const std::string& text) {
  if (panel < 1 || panel > 5) return;
  panels_[panel - 1]->setText(Q(text));
}

std::string MainStatusBar::panelText(int panel) const {
  if (panel < 1 || panel > 5) return "";
  return panels_[panel - 1]->text().toStdString();
}

void MainStatusBar::ShowPictures() {
  ShowPicture(panels_[3], StBarPicMkFldr());
  ShowPicture(panels_[4], StBarPicIgnrDir());
}

void MainStatusBar::AlignPictures() {
  const QWidget* frame = window();
  int border = std::max(0, frame->frameGeometry().right() - frame->geometry().right());
  edge_->setFixedWidth(std::max(0, qRound(300 / TwipsPerPixelX(*this)) - border));
}

// The click's position and the window's width in twips, measured from the window's outer
// left edge.
void MainStatusBar::mousePressEvent(QMouseEvent* event) {
  QStatusBar::mousePressEvent(event);
  QRect frame = window()->frameGeometry();
  double twips = TwipsPerPixelX(*this);
  int x = qRound((event->globalPosition().toPoint().x() - frame.x()) * twips);
  int width = qRound(frame.width() * twips);
  StatusBarZone zone = ClickStatusBar(x, width);
  switch (zone) {
    case StatusBarZone::FileNameFolder:
      ShowPicture(panels_[3], StBarPicMkFldr());
      break;
    case StatusBarZone::Directory:
      ShowPicture(panels_[4], StBarPicIgnrDir());
      break;
    case StatusBarZone::None:
      return;
  }
  emit zoneClicked(zone);
}

}  // namespace qvr
