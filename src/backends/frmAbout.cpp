#include "frmAbout.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <cstdio>

#include "ArchiverDLL.h"
#include "ArchiverDLLStatus.h"
#include "ArchiverEXE_RK.h"
#include "ArchiverEXE_YZ2.h"
#include "MainWindowPort.h"
#include "Version.h"

namespace qvr {
namespace {

enum class Form { Version, VersionSub, KtySub, Installed, Yz2Dec, Rk };

struct Row {
  const char* name;
  bool LibraryStatus::*flag;
  Lib lib;  // ignored by the forms that call no library
  Form form;
};

constexpr Row kRows[] = {
    {"UNLHA32.DLL", &LibraryStatus::UNLHA32, Lib::Unlha, Form::VersionSub},
    {"UNZIP32.DLL", &LibraryStatus::UNZIP32, Lib::UnZip, Form::Version},
    {"ZIP32J.DLL", &LibraryStatus::ZIP32J, Lib::Zip, Form::Version},
    {"ZIP32.DLL", &LibraryStatus::ZIP32, Lib::Zip, Form::Installed},
    {"CAB32.DLL", &LibraryStatus::CAB32, Lib::Cab, Form::Version},
    {"UNGCA32.DLL", &LibraryStatus::UNGCA32, Lib::UnGCA, Form::Version},
    {"UNRAR32.DLL", &LibraryStatus::UNRAR32, Lib::Unrar, Form::Version},
    {"7-ZIP32.DLL", &LibraryStatus::SEVENZIP32, Lib::SevenZip, Form::VersionSub},
    {"YZ1.DLL", &LibraryStatus::YZ1, Lib::Yz1, Form::Version},
    {"UNARJ32.DLL", &LibraryStatus::UNARJ32, Lib::Unarj, Form::VersionSub},
    {"TAR32.DLL", &LibraryStatus::TAR32, Lib::Tar, Form::Version},
    {"BGA32.DLL", &LibraryStatus::BGA32, Lib::Bga, Form::Version},
    {"UNBEL32.DLL", &LibraryStatus::UNBEL32, Lib::Unbel, Form::Version},
    {"UNIMP32.DLL", &LibraryStatus::UNIMP32, Lib::UnImp, Form::VersionSub},
    {"UNHKI32.DLL", &LibraryStatus::UNHKI32, Lib::UnHki, Form::VersionSub},
    {"KTY32.DLL", &LibraryStatus::KTY32, Lib::Kty, Form::KtySub},
    {"PAQAR32.DLL", &LibraryStatus::PAQAR32, Lib::Paqar, Form::VersionSub},
    {"UNACE32.DLL", &LibraryStatus::UNACE32, Lib::Unace, Form::VersionSub},
    {"UNACEV2.DLL", &LibraryStatus::UNACEV2, Lib::UnAceV2, Form::Installed},
    {"YZ2DEC.EXE", &LibraryStatus::YZ2DEC, Lib::Unlha, Form::Yz2Dec},
    {"YZ2ENC.EXE", &LibraryStatus::YZ2ENC, Lib::Unlha, Form::Installed},
    {"RK.EXE", &LibraryStatus::RKEXE, Lib::Unlha, Form::Rk},
};

std::string RowVersion(const Row& row, const LibraryStatus& status) {
  if (!(status.*row.flag)) return "Not Installed";
  switch (row.form) {
    case Form::Version:
      return VersionNumberText(ArchiverDLL::Of(row.lib).GetVersion());
    case Form::VersionSub: {
      ArchiverDLL& lib = ArchiverDLL::Of(row.lib);
      return VersionNumberText(lib.GetVersion()) + "." + VersionNumberText(lib.GetSubVersion());
    }
    case Form::KtySub:
      return KtyVersionText(ArchiverDLL::Of(row.lib).GetSubVersion());
    case Form::Installed:
      return "Installed";
    case Form::Yz2Dec:
      return YZ2VersionText(status);
    case Form::Rk:
      return RKVersionText(status);
  }
  return "";
}

}  // namespace

std::string AboutVersionText() {
  return "Version " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
         std::to_string(kVersionRevision);
}

std::string VersionNumberText(unsigned version) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%02u", version / 100, version % 100);
  return text;
}

std::string KtyVersionText(unsigned subVersion) {
  // Hundredths rounded half up to tenths, as the "0.0" format rounds.
  unsigned tenths = (subVersion + 5) / 10;
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u", tenths / 10, tenths % 10);
  return text;
}

std::vector<std::pair<std::string, std::string>> DllVersionRows(const LibraryStatus& status) {
  std::vector<std::pair<std::string, std::string>> rows;
  for (const Row& row : kRows) rows.emplace_back(row.name, RowVersion(row, status));
  return rows;
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
    emit clicked();
}

frmAbout::frmAbout(const LibraryStatus& status, QWidget* parent) : QDialog(parent) {
  setObjectName("frmAbout");
  setWindowTitle(QString::fromUtf8(kProgramTitle) + QString::fromUtf8("のﾊﾞｰｼﾞｮﾝ情報"));

  lblTitle = new QLabel(QString::fromUtf8(kProgramTitle), this);
  QFont titleFont = lblTitle->font();
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
  titleFont.setBold(true);
  lblTitle->setFont(titleFont);
  lblVersion = new QLabel(QString::fromStdString(AboutVersionText()), this);
  lblVersion->setObjectName("lblVersion");

  LVDllList = new QTreeWidget(this);
  LVDllList->setObjectName("LVDllList");
  LVDllList->setRootIsDecorated(false);
  LVDllList->setColumnCount(2);
  LVDllList->setHeaderLabels({"DLL File", "Version"});
  LVDllList->headerItem()->setData(0, Qt::UserRole, "DLLFile");
  LVDllList->headerItem()->setData(1, Qt::UserRole, "Version");
  LVDllList->setColumnWidth(0, 160);
  LVDllList->setSelectionMode(QAbstractItemView::SingleSelection);

  lblURL = new ClickLabel(QString::fromUtf8(kAboutUrl), this);
  lblURL->setObjectName("lblURL");
  lblURL->setStyleSheet("color: #0645ad; text-decoration: underline;");
  lblURL->setCursor(Qt::PointingHandCursor);
  connect(lblURL, &ClickLabel::clicked,
          [] { QDesktopServices::openUrl(QUrl(QString::fromUtf8(kAboutUrl))); });

  cmdOK = new QPushButton("OK", this);
  cmdOK->setObjectName("cmdOK");
  cmdOK->setDefault(true);
  connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(lblURL);
  buttons->addStretch();
  buttons->addWidget(cmdOK);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblTitle);
  layout->addWidget(lblVersion);
  layout->addWidget(LVDllList, 1);
  layout->addLayout(buttons);
  resize(380, 520);

  FillList(status);
}

void frmAbout::FillList(const LibraryStatus& status) {
  for (const auto& [name, version] : DllVersionRows(status)) {
    auto* item = new QTreeWidgetItem(LVDllList);
    item->setText(0, QString::fromStdString(name));
    item->setData(0, Qt::UserRole, QString::fromStdString(name));
    item->setText(1, QString::fromStdString(version));
  }
}

}  // namespace qvr
