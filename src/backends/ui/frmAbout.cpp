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

#include "ArchiverCatalogue.h"
#include "ArchiverDLL.h"
#include "ArchiverDLLStatus.h"
#include "ArchiverEXE_RK.h"
#include "ArchiverEXE_YZ2.h"
#include "MainWindowPort.h"
#include "Translate.h"
#include "Version.h"

namespace qvr {
namespace {

enum class Form { Version, VersionSub, KtySub, Installed, Yz2Dec, Rk };

// The about box's rows in its own order; the versions come through each component's row.
struct Row {
  Lib lib;
  Form form;
};

constexpr Row kRows[] = {
    {Lib::Unlha, Form::VersionSub},  {Lib::UnZip, Form::Version},
    {Lib::Zip, Form::Version},       {Lib::Zip32, Form::Installed},
    {Lib::Cab, Form::Version},       {Lib::UnGCA, Form::Version},
    {Lib::Unrar, Form::Version},     {Lib::SevenZip, Form::VersionSub},
    {Lib::Yz1, Form::Version},       {Lib::Unarj, Form::VersionSub},
    {Lib::Tar, Form::Version},       {Lib::Bga, Form::Version},
    {Lib::Unbel, Form::Version},     {Lib::UnImp, Form::VersionSub},
    {Lib::UnHki, Form::VersionSub},  {Lib::Kty, Form::KtySub},
    {Lib::Paqar, Form::VersionSub},  {Lib::Unace, Form::VersionSub},
    {Lib::UnAceV2, Form::Installed}, {Lib::Yz2Dec, Form::Yz2Dec},
    {Lib::Yz2Enc, Form::Installed},  {Lib::Rk, Form::Rk},
};

std::string RowVersion(const Row& row, const LibraryStatus& status) {
  if (!(status.*RowOf(row.lib).flag)) return "Not Installed";
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
  for (const Row& row : kRows)
    rows.emplace_back(std::string(RowOf(row.lib).shownName), RowVersion(row, status));
  return rows;
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
    emit clicked();
}

frmAbout::frmAbout(const LibraryStatus& status, QWidget* parent) : QDialog(parent) {
  setObjectName("frmAbout");
  setWindowTitle(QString::fromUtf8(kProgramTitle) +
                 QString::fromStdString(Tr("frmAbout", "のﾊﾞｰｼﾞｮﾝ情報")));

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
