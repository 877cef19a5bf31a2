#include "frmOptionEx.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "ArchiverDLL.h"
#include "ArchiverDLLStatus.h"
#include "QtHelpers.h"
#include "Translate.h"

namespace qvr {
namespace {

std::string FolderButtonText() {
  return Tr("frmOptionEx", "参照...");
}
std::string FolderButtonTip() {
  return Tr("frmOptionEx", "いつもの解凍先フォルダを指定します。");
}
std::string SelfDecideTip() {
  return Tr("frmOptionEx",
            "「自分であらかじめ決めた場所」に解凍するときに、ここに指定したフォルダに解凍します。");
}

int At(ExRow row) {
  return int(row);
}

}  // namespace

frmOptionEx::frmOptionEx(const LibraryStatus& status, OptionExFollowUps followUps,
                         bool alwaysPathInUse, QWidget* parent)
    : OptionTabDialog("frmOptionEx", "Option-Extract-", parent),
      followUps_(std::move(followUps)),
      alwaysPathInUse_(alwaysPathInUse) {
  BuildCommonPage();
  BuildNormalPage();
  BuildDDModePage();
  BuildArcViewPage();
  Load(status);
}

void frmOptionEx::BuildCommonPage() {
  QBoxLayout* page = AddPage(Tr("frmOptionEx", "解凍"),
                             Tr("frmOptionEx", "通常解凍・簡易解凍共通の設定を行います。"));
  chkShowListViewer =
      NewCheck("chkShowListViewer", Tr("frmOptionEx", "起動時、書庫閲覧ウィンドウを表示する。"));
  chkUseYZ2DEC = NewCheck("chkUseYZ2DEC", Tr("frmOptionEx", "YZ2の解凍にYZ2DEC.EXEを使用する"));
  chkErrorSkip =
      NewCheck("chkErrorSkip", Tr("frmOptionEx", "エラーをスキップする"),
               Tr("frmOptionEx", "書庫ファイルが見つからない場合に、処理をスキップします。"));
  chkPreScan = NewCheck("chkPreScan", Tr("frmOptionEx", "プリスキャン機能をオフにする"),
                        Tr("frmOptionEx", "書庫の事前チェック機能をオフにします。"));
  chkUseSevenZip = NewCheck("chkUseSevenZip", Tr("frmOptionEx", "ZIPの解凍に7-zip32.DLLを使用する"),
                            Tr("frmOptionEx", "ZIP書庫の解凍、閲覧に7-zip32.dllを使用します。"));
  chkOpenFolder =
      NewCheck("chkOpenFolder", Tr("frmOptionEx", "解凍先が単一の場合、フォルダを開く"),
               Tr("frmOptionEx", "解凍先が１つのフォルダの場合、解凍先フォルダを開きます。"));
  for (QWidget* control :
       {chkShowListViewer, chkUseYZ2DEC, chkErrorSkip, chkPreScan, chkUseSevenZip, chkOpenFolder})
    page->addWidget(control);
  page->addStretch(1);
  Bind(At(ExRow::ShowListViewer), chkShowListViewer);
  Bind(At(ExRow::UseYZ2DEC), chkUseYZ2DEC);
  Bind(At(ExRow::ErrorSkip), chkErrorSkip);
  Bind(At(ExRow::PreScan), chkPreScan);
  Bind(At(ExRow::Use7ZIP), chkUseSevenZip);
  Bind(At(ExRow::OpenFolder), chkOpenFolder);
}

void frmOptionEx::BuildNormalPage() {
  QBoxLayout* page =
      AddPage(Tr("frmOptionEx", "通常解凍"), Tr("frmOptionEx", "通常解凍の設定を行います。"));
  txtAlwaysFolder =
      NewText("txtAlwaysFolder",
              Tr("frmOptionEx",
                 "「いつもの解凍先」オプションで解凍時にここに指定したフォルダに解凍します。"));
  Btn_FolderDlg = NewButton("Btn_FolderDlg", FolderButtonText(), FolderButtonTip());
  chkDirectory = NewCheck("chkDirectory", Tr("frmOptionEx", "書庫内のディレクトリ無視"),
                          Tr("frmOptionEx", "書庫内のディレクトリを無視して解凍します。"));
  chkOverWriteNormal = NewCheck("chkOverWriteNormal", Tr("frmOptionEx", "上書き確認を行う"));
  chkDeleteArchiveNormal =
      NewCheck("chkDeleteArchiveNormal", Tr("frmOptionEx", "解凍後エラーがなければ書庫を削除する"));
  page->addLayout(Row(Tr("frmOptionEx", "いつもの解凍先"), {txtAlwaysFolder, Btn_FolderDlg}));
  page->addWidget(chkDirectory);
  page->addWidget(chkOverWriteNormal);
  page->addWidget(FileNameFolderFrame("ExNormal", ExNormal_FileNameFolder_Auto,
                                      ExNormal_FileNameFolder_Use, ExNormal_FileNameFolder_NoUse));
  page->addWidget(chkDeleteArchiveNormal);
  cmbNameCodePage = NewCombo("cmbNameCodePage", {}, true);
  cmbNameCodePage->addItem(QString());
  for (const char* codePage : kNameCodePages) cmbNameCodePage->addItem(QString::fromUtf8(codePage));
  cmbNameCodePage->setToolTip(QCoreApplication::translate(
      "frmOptionEx", "UTF-8でないファイル名をこの文字コードで読みます。空欄は自動（CP932）です。"));
  page->addLayout(Row(Tr("frmOptionEx", "ファイル名の文字コード"), {cmbNameCodePage}));
  page->addStretch(1);
  Bind(At(ExRow::AlwaysPath), txtAlwaysFolder);
  Bind(At(ExRow::Directory), chkDirectory);
  Bind(At(ExRow::NormalOverWrite), chkOverWriteNormal);
  Bind(At(ExRow::NormalFileNameFolder),
       {ExNormal_FileNameFolder_Auto, ExNormal_FileNameFolder_Use, ExNormal_FileNameFolder_NoUse});
  Bind(At(ExRow::NormalDeleteArchive), chkDeleteArchiveNormal);
  Bind(At(ExRow::NormalNameCodePage), cmbNameCodePage);
  connect(Btn_FolderDlg, &QPushButton::clicked, this, [this] { FolderButton(txtAlwaysFolder); });
  connect(chkDeleteArchiveNormal, &QCheckBox::toggled, this, &frmOptionEx::DeleteArchiveWarning);
}

void frmOptionEx::BuildDDModePage() {
  QBoxLayout* page =
      AddPage(Tr("frmOptionEx", "簡易解凍"), Tr("frmOptionEx", "簡易解凍モードの設定を行います。"));
  optDDMODE_ExtDesktop = NewOption("optDDMODE_ExtDesktop", Tr("frmOptionEx", "デスクトップ"),
                                   Tr("frmOptionEx", "デスクトップに解凍します。"));
  optDDMODE_ExtFileExist =
      NewOption("optDDMODE_ExtFileExist", Tr("frmOptionEx", "ファイルの元あった場所"),
                Tr("frmOptionEx", "書庫ファイルのある場所に解凍します。"));
  optDDMODE_ExtSelfDecide =
      NewOption("optDDMODE_ExtSelfDecide", Tr("frmOptionEx", "自分であらかじめ決めた場所"),
                Tr("frmOptionEx", "自分であらかじめ決めたところに解凍します。"));
  txtDDMODE_SelfDecide = NewText("txtDDMODE_SelfDecide", SelfDecideTip());
  Btn_DDMODE_SelfDecideOpen =
      NewButton("Btn_DDMODE_SelfDecideOpen", FolderButtonText(), FolderButtonTip());
  chkUseDesktop = NewCheck(
      "chkUseDesktop", Tr("frmOptionEx", "デスクトップにショートカットを作成する"),
      Tr("frmOptionEx",
         "デスクトップにQuiver Extractorのショートカットを作成し、簡易解凍モードを有効にします。"));
  chkOverWriteDDMODE = NewCheck("chkOverWriteDDMODE", Tr("frmOptionEx", "上書き確認を行う"));
  chkDeleteArchiveDDMODE =
      NewCheck("chkDeleteArchiveDDMODE", Tr("frmOptionEx", "解凍後エラーがなければ書庫を削除する"));
  QGroupBox* target =
      NewFrame(Tr("frmOptionEx", "解凍先"),
               {optDDMODE_ExtDesktop, optDDMODE_ExtFileExist, optDDMODE_ExtSelfDecide}, true);
  static_cast<QBoxLayout*>(target->layout())
      ->addLayout(Row("", {txtDDMODE_SelfDecide, Btn_DDMODE_SelfDecideOpen}));
  page->addWidget(target);
  page->addWidget(chkUseDesktop);
  page->addWidget(chkOverWriteDDMODE);
  page->addWidget(FileNameFolderFrame("ExDDMODE", ExDDMODE_FileNameFolder_Auto,
                                      ExDDMODE_FileNameFolder_Use, ExDDMODE_FileNameFolder_NoUse));
  page->addWidget(chkDeleteArchiveDDMODE);
  page->addStretch(1);
  Bind(At(ExRow::DDModeExtractMode),
       {optDDMODE_ExtDesktop, optDDMODE_ExtFileExist, optDDMODE_ExtSelfDecide});
  Bind(At(ExRow::DDModeTargetPath), txtDDMODE_SelfDecide);
  Bind(At(ExRow::DDModeUseDesktop), chkUseDesktop);
  Bind(At(ExRow::DDModeOverWrite), chkOverWriteDDMODE);
  Bind(At(ExRow::DDModeFileNameFolder),
       {ExDDMODE_FileNameFolder_Auto, ExDDMODE_FileNameFolder_Use, ExDDMODE_FileNameFolder_NoUse});
  Bind(At(ExRow::DDModeDeleteArchive), chkDeleteArchiveDDMODE);
  connect(Btn_DDMODE_SelfDecideOpen, &QPushButton::clicked, this,
          [this] { FolderButton(txtDDMODE_SelfDecide); });
  connect(chkDeleteArchiveDDMODE, &QCheckBox::toggled, this, &frmOptionEx::DeleteArchiveWarning);
}

void frmOptionEx::BuildArcViewPage() {
  QBoxLayout* page = AddPage(Tr("frmOptionEx", "書庫閲覧"),
                             Tr("frmOptionEx", "書庫閲覧ウィンドウ上での解凍設定を行います。"));
  chkOverWriteArcView = NewCheck("chkOverWriteArcView", Tr("frmOptionEx", "上書き確認を行う"));
  optArcViewAction_Open = NewOption("optArcViewAction_Open", Tr("frmOptionEx", "開く"));
  optArcViewAction_Extract = NewOption("optArcViewAction_Extract", Tr("frmOptionEx", "解凍"));
  optArcViewPlace_OpenOnly =
      NewOption("optArcViewPlace_OpenOnly", Tr("frmOptionEx", "開く動作のみ"));
  optArcViewPlace_OnDemand = NewOption("optArcViewPlace_OnDemand", Tr("frmOptionEx", "場所を指定"));
  optArcViewPlace_Always =
      NewOption("optArcViewPlace_Always", Tr("frmOptionEx", "いつものところへ"));
  optArcViewPlace_Template =
      NewOption("optArcViewPlace_Template", Tr("frmOptionEx", "テンプレート指定"));
  txtArcViewPlace_AlwaysFolder = NewText("txtArcViewPlace_AlwaysFolder", SelfDecideTip());
  Btn_ARCVIEW_SelfDecideOpen =
      NewButton("Btn_ARCVIEW_SelfDecideOpen", FolderButtonText(), FolderButtonTip());
  cmbArcViewPlace_Template = new QComboBox(this);
  cmbArcViewPlace_Template->setObjectName("cmbArcViewPlace_Template");
  for (const char* folder : kArcViewTemplates) cmbArcViewPlace_Template->addItem(folder);
  cmbArcViewPlace_Template->setCurrentIndex(-1);
  chkMakeFolder4ListView =
      NewCheck("chkMakeFolder4ListView",
               Tr("frmOptionEx", "書庫閲覧からの解凍時、ファイル名でフォルダを作成する"));

  QGroupBox* place =
      NewFrame(Tr("frmOptionEx", "場所"),
               {optArcViewPlace_OpenOnly, optArcViewPlace_OnDemand, optArcViewPlace_Always}, true);
  auto* placeLayout = static_cast<QBoxLayout*>(place->layout());
  placeLayout->addLayout(Row("", {txtArcViewPlace_AlwaysFolder, Btn_ARCVIEW_SelfDecideOpen}));
  placeLayout->addLayout(Row("", {optArcViewPlace_Template, cmbArcViewPlace_Template}));
  // The template button sits in a row of its own; it is still one of the place group.
  place->findChild<QButtonGroup*>()->addButton(optArcViewPlace_Template);
  auto* action = new QGroupBox(TrQ("frmOptionEx", "ダブルクリック時動作"), this);
  auto* actionLayout = new QHBoxLayout(action);
  actionLayout->addWidget(NewFrame(Tr("frmOptionEx", "アクション"),
                                   {optArcViewAction_Open, optArcViewAction_Extract}, true),
                          0, Qt::AlignTop);
  actionLayout->addWidget(place, 1);
  page->addWidget(chkOverWriteArcView);
  page->addWidget(action);
  page->addWidget(chkMakeFolder4ListView);
  page->addStretch(1);
  Bind(At(ExRow::ArcViewOverWrite), chkOverWriteArcView);
  Bind(At(ExRow::ArcViewAction), {optArcViewAction_Open, optArcViewAction_Extract});
  Bind(At(ExRow::ArcViewTargetPlace), {optArcViewPlace_OpenOnly, optArcViewPlace_OnDemand,
                                       optArcViewPlace_Always, optArcViewPlace_Template});
  Bind(At(ExRow::ArcViewAlwaysFolder), txtArcViewPlace_AlwaysFolder);
  Bind(At(ExRow::ArcViewTemplate), cmbArcViewPlace_Template);
  Bind(At(ExRow::MakeFolder4ListView), chkMakeFolder4ListView);
  connect(Btn_ARCVIEW_SelfDecideOpen, &QPushButton::clicked, this,
          [this] { FolderButton(txtArcViewPlace_AlwaysFolder); });
  connect(optArcViewAction_Open, &QRadioButton::toggled, this, [this](bool on) {
    if (on) optArcViewAction_Click();
  });
  connect(optArcViewAction_Extract, &QRadioButton::toggled, this, [this](bool on) {
    if (on) optArcViewAction_Click();
  });
}

// The frame "ファイル名でのフォルダの作成" of normal and of easy extraction.
QGroupBox* frmOptionEx::FileNameFolderFrame(const std::string& prefix, QRadioButton*& autoOption,
                                            QRadioButton*& useOption, QRadioButton*& noUseOption) {
  std::string name = prefix + "_FileNameFolder_";
  autoOption = NewOption((name + "Auto").c_str(), Tr("frmOptionEx", "自動判別"));
  useOption = NewOption((name + "Use").c_str(), Tr("frmOptionEx", "作成する"));
  noUseOption = NewOption((name + "NoUse").c_str(), Tr("frmOptionEx", "作成しない"));
  return NewFrame(Tr("frmOptionEx", "ファイル名でのフォルダの作成"),
                  {autoOption, useOption, noUseOption});
}

void frmOptionEx::Load(const LibraryStatus& status) {
  loading_ = true;
  loaded_ = ReadOptionRows(kOptionExRows);
  ShowValues(loaded_);
  optArcViewAction_Click();
  SelectPage(0);
  chkUseSevenZip->setEnabled(status.SEVENZIP32);
  chkUseYZ2DEC->setEnabled(status.YZ2DEC);
  loading_ = false;
}

// "開く" allows the places 0 to 2, "解凍" the places 1 to 3. A place the action no longer
// allows gives way to one it does, so that a double click never does nothing.
void frmOptionEx::optArcViewAction_Click() {
  if (optArcViewAction_Extract->isChecked()) {
    optArcViewPlace_OpenOnly->setEnabled(false);
    optArcViewPlace_Template->setEnabled(true);
    if (optArcViewPlace_OpenOnly->isChecked()) optArcViewPlace_OnDemand->setChecked(true);
  } else if (optArcViewAction_Open->isChecked()) {
    optArcViewPlace_OpenOnly->setEnabled(true);
    optArcViewPlace_Template->setEnabled(false);
    if (optArcViewPlace_Template->isChecked()) optArcViewPlace_OpenOnly->setChecked(true);
  }
}

void frmOptionEx::DeleteArchiveWarning(bool checked) {
  if (!checked || loading_) return;
  // The archives go to the Trash; only where none exists, after a question, for good.
  Inform(Tr("frmOptionEx",
            "このオプション有効時、解凍後の書庫(圧縮ファイル)はごみ箱へ移動されます。\r\n"
            "ごみ箱のない場所にある書庫は、確認のうえ完全に削除されます。"));
}

void frmOptionEx::FolderButton(QLineEdit* target) {
  std::string folder = BrowseFolder();
  if (!folder.empty()) target->setText(Q(folder));
}

bool frmOptionEx::Save() {
  OptionValues values = TakeValues(loaded_);
  std::string refusal = CheckOptionEx(values, alwaysPathInUse_);
  if (!refusal.empty()) {
    Inform(refusal);
    return false;
  }
  WriteOptionRows(kOptionExRows, values, [&](int step) {
    switch (step) {
      case kExSetYZ2DEC:
        if (followUps_.setUseYZ2DEC) followUps_.setUseYZ2DEC(chkUseYZ2DEC->isChecked());
        break;
      case kExDDModeShortcut:
        if (followUps_.updateDDModeShortcut)
          followUps_.updateDDModeShortcut(chkUseDesktop->isChecked());
        break;
      case kExStatusBarPictures:
        if (followUps_.showStatusBarPictures) followUps_.showStatusBarPictures();
        break;
    }
  });
  return true;
}

}  // namespace qvr
