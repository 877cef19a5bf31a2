#include "frmOption.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "AppFolder.h"
#include "CommonDialogs.h"
#include "QtHelpers.h"
#include "QtSoundPlayer.h"
#include "Translate.h"

namespace qvr {
namespace {

int At(GenRow row) {
  return int(row);
}

constexpr int kLinkColumns = 6;

}  // namespace

frmOption::frmOption(const LibraryStatus& status, OptionSteps steps, const std::string& openingMode,
                     QWidget* parent)
    : OptionTabDialog("frmOption", "Option", parent),
      steps_(std::move(steps)),
      openingMode_(openingMode) {
  BuildAssociationPage();
  BuildOtherPage();
  BuildMailPage();
  Load(status);
}

void frmOption::BuildAssociationPage() {
  QBoxLayout* page =
      AddPage(Tr("frmOption", "関連づけ"), Tr("frmOption", "関連づけの設定を行います。"));
  auto* grid = new QGridLayout;
  for (size_t i = 0; i < kAssociationBoxes.size(); ++i) {
    links_[i] = NewCheck(kAssociationBoxes[i].control, kAssociationBoxes[i].format);
    grid->addWidget(links_[i], int(i) / kLinkColumns, int(i) % kLinkColumns);
  }
  page->addLayout(grid);
  Btn_Ext_All_Add = NewButton("Btn_Ext_All_Add", Tr("frmOption", "すべて選択"));
  Btn_Ext_All_Delete = NewButton("Btn_Ext_All_Delete", Tr("frmOption", "すべて解除"));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Btn_Ext_All_Add);
  buttons->addWidget(Btn_Ext_All_Delete);
  buttons->addStretch(1);
  page->addLayout(buttons);
  optExtMODE_Normal = NewOption("optExtMODE_Normal", Tr("frmOption", "通常"),
                                Tr("frmOption", "通常モードで起動します。"));
  optExtMODE_Easy = NewOption("optExtMODE_Easy", Tr("frmOption", "簡易解凍"),
                              Tr("frmOption", "簡易解凍モードで起動します。"));
  QGroupBox* mode = NewFrame(Tr("frmOption", "起動方法"), {optExtMODE_Normal, optExtMODE_Easy});
  mode->setToolTip(TrQ("frmOption", "関連づけを利用して起動する場合の起動方法を指定します。"));
  page->addWidget(mode);
  page->addStretch(1);
  Bind(At(GenRow::ExtensionMode), {optExtMODE_Normal, optExtMODE_Easy});
  connect(Btn_Ext_All_Add, &QPushButton::clicked, this, &frmOption::Btn_Ext_All_Add_Click);
  connect(Btn_Ext_All_Delete, &QPushButton::clicked, this, &frmOption::Btn_Ext_All_Delete_Click);
}

void frmOption::BuildOtherPage() {
  QBoxLayout* page =
      AddPage(Tr("frmOption", "その他"), Tr("frmOption", "その他の設定を行います。"));
  optSort_FullPath = NewOption("optSort_FullPath", Tr("frmOption", "フルパス"));
  optSort_Path = NewOption("optSort_Path", Tr("frmOption", "パス"));
  optSort_FileName = NewOption("optSort_FileName", Tr("frmOption", "ファイル名"));
  chkEndNotice = NewCheck("chkEndNotice", Tr("frmOption", "完了報告をしない"),
                          Tr("frmOption", "チェックを付けると、完了報告を行いません。"));
  chkDesktopNotice =
      NewCheck("chkDesktopNotice", Tr("frmOption", "完了報告をデスクトップにも通知する"),
               Tr("frmOption", "完了報告と同じ内容をデスクトップの通知に表示します。"));
  chkUseSound = NewCheck("chkUseSound", Tr("frmOption", "作業終了時、音声ファイルを再生する"),
                         Tr("frmOption", "解凍終了後、音声ファイルを再生します。"));
  txtSoundFilePath =
      NewText("txtSoundFilePath", Tr("frmOption", "再生する音声ファイルを指定します。"));
  BtnOpenSoundFile = NewButton("BtnOpenSoundFile", Tr("frmOption", "参照..."),
                               Tr("frmOption", "再生する音声ファイルを指定します。"));
  optFontSize_Normal =
      NewOption("optFontSize_Normal", "Normal", Tr("frmOption", "通常のサイズ、96DPI"));
  optFontSize_Large =
      NewOption("optFontSize_Large", "Large", Tr("frmOption", "大きなサイズ、120DPI"));
  chkUseRCFolderQvrAdd =
      NewCheck("chkUseRCFolderQvrAdd", Tr("frmOption", "フォルダメニューに登録"),
               Tr("frmOption",
                  "フォルダをクリックした時の右クリックメニューに「QuiverExtractorに追加」を追加"));
  chkUseDeskTopNormal =
      NewCheck("chkUseDeskTopNormal", Tr("frmOption", "デスクトップにショートカットを作成する"),
               Tr("frmOption", "デスクトップにQuiver Extractorのショートカットを作成します。"));
  chkUseSendTo = NewCheck("chkUseSendTo", Tr("frmOption", "「送る」に登録する"),
                          Tr("frmOption", "「送る」にQuiver Extractorを登録します。"));
  page->addWidget(
      NewFrame(Tr("frmOption", "ソート方法"), {optSort_FullPath, optSort_Path, optSort_FileName}));
  page->addWidget(chkEndNotice);
  page->addWidget(chkDesktopNotice);
  page->addWidget(chkUseSound);
  page->addLayout(Row("", {txtSoundFilePath, BtnOpenSoundFile}));
  page->addWidget(
      NewFrame(Tr("frmOption", "画面のFontSize"), {optFontSize_Normal, optFontSize_Large}));
  page->addWidget(NewFrame(Tr("frmOption", "右クリックメニュー"), {chkUseRCFolderQvrAdd}));
  page->addWidget(chkUseDeskTopNormal);
  page->addWidget(chkUseSendTo);
  page->addStretch(1);
  Bind(At(GenRow::Sort), {optSort_FullPath, optSort_Path, optSort_FileName});
  Bind(At(GenRow::EndNotice), chkEndNotice);
  Bind(At(GenRow::DesktopNotice), chkDesktopNotice);
  Bind(At(GenRow::UseSound), chkUseSound);
  Bind(At(GenRow::SoundFilePath), txtSoundFilePath);
  Bind(At(GenRow::FontSize), {optFontSize_Normal, optFontSize_Large});
  Bind(At(GenRow::UseFolderQvrAdd), chkUseRCFolderQvrAdd);
  Bind(At(GenRow::UseDeskTopNormal), chkUseDeskTopNormal);
  Bind(At(GenRow::UseSendTo), chkUseSendTo);
  connect(BtnOpenSoundFile, &QPushButton::clicked, this, &frmOption::BtnOpenSoundFile_Click);
}

void frmOption::BuildMailPage() {
  QBoxLayout* page =
      AddPage(Tr("frmOption", "メール通知"), Tr("frmOption", "メール通知の設定を行います。"));
  chkUseEMail = NewCheck("chkUseEMail", Tr("frmOption", "E-Mailによる通知機能を使う"));
  txtSMTPServer = NewText("txtSMTPServer");
  txtPort = NewText("txtPort");
  txtTimeOut = NewText("txtTimeOut");
  chkSMTPAUTHUse = NewCheck("chkSMTPAUTHUse", Tr("frmOption", "SMTP認証を使う"));
  optSMTPA_LOGIN = NewOption("optSMTPA_LOGIN", "LOGIN");
  optSMTPA_PLAIN = NewOption("optSMTPA_PLAIN", "PLAIN");
  optSMTPA_CRAM = NewOption("optSMTPA_CRAM", "CRAM-MD5");
  txtSMTPUserName = NewText("txtSMTPUserName");
  txtSMTPPassword = NewText("txtSMTPPassword");
  txtMailTo = NewText("txtMailTo");
  txtMailFrom = NewText("txtMailFrom");
  txtSubject = NewText("txtSubject");
  chkPOPBSMTPUse = NewCheck("chkPOPBSMTPUse", Tr("frmOption", "POP Before SMTPを使う"));
  txtPOPServer = NewText("txtPOPServer");
  txtPOPUserName = NewText("txtPOPUserName");
  txtPOPPassword = NewText("txtPOPPassword");
  for (QLineEdit* password : {txtSMTPPassword, txtPOPPassword})
    password->setEchoMode(QLineEdit::Password);
  for (QLineEdit* number : {txtPort, txtTimeOut}) number->setMaximumWidth(100);

  page->addWidget(chkUseEMail);
  auto* server = new QFormLayout;
  server->addRow("SMTP Server", txtSMTPServer);
  server->addRow("Port", txtPort);
  server->addRow("TimeOut", txtTimeOut);
  server->addRow(TrQ("frmOption", "送信先アドレス"), txtMailTo);
  server->addRow(TrQ("frmOption", "送信元アドレス"), txtMailFrom);
  server->addRow(TrQ("frmOption", "タイトル"), txtSubject);
  page->addLayout(server);
  auto* auth = new QGroupBox(this);
  auto* authLayout = new QFormLayout(auth);
  authLayout->addRow(chkSMTPAUTHUse);
  authLayout->addRow(NewFrame("", {optSMTPA_LOGIN, optSMTPA_PLAIN, optSMTPA_CRAM}));
  authLayout->addRow("UserName", txtSMTPUserName);
  authLayout->addRow("Password", txtSMTPPassword);
  auto* pop = new QGroupBox(this);
  auto* popLayout = new QFormLayout(pop);
  popLayout->addRow(chkPOPBSMTPUse);
  popLayout->addRow("POP Server", txtPOPServer);
  popLayout->addRow("UserName", txtPOPUserName);
  popLayout->addRow("Password", txtPOPPassword);
  auto* sides = new QHBoxLayout;
  sides->addWidget(auth);
  sides->addWidget(pop);
  page->addLayout(sides);
  lblPasswordStore = new QLabel(this);
  lblPasswordStore->setObjectName(QStringLiteral("lblPasswordStore"));
  lblPasswordStore->setWordWrap(true);
  page->addWidget(lblPasswordStore);
  page->addStretch(1);

  Bind(At(GenRow::MailUse), chkUseEMail);
  Bind(At(GenRow::SMTPServer), txtSMTPServer);
  Bind(At(GenRow::Port), txtPort);
  Bind(At(GenRow::TimeOut), txtTimeOut);
  Bind(At(GenRow::UseSMTPAUTH), chkSMTPAUTHUse);
  Bind(At(GenRow::SMTPAUTH), {optSMTPA_LOGIN, optSMTPA_PLAIN, optSMTPA_CRAM});
  Bind(At(GenRow::SMTPUserName), txtSMTPUserName);
  Bind(At(GenRow::SMTPPassword), txtSMTPPassword);
  Bind(At(GenRow::MailTo), txtMailTo);
  Bind(At(GenRow::MailFrom), txtMailFrom);
  Bind(At(GenRow::Subject), txtSubject);
  Bind(At(GenRow::UsePOPBSMTP), chkPOPBSMTPUse);
  Bind(At(GenRow::POPServer), txtPOPServer);
  Bind(At(GenRow::POPUserName), txtPOPUserName);
  Bind(At(GenRow::POPPassword), txtPOPPassword);
}

void frmOption::Load(const LibraryStatus& status) {
  loaded_ = ReadOption(steps_);
  const bool keyring = steps_.keyringAnswers && steps_.keyringAnswers();
  lblPasswordStore->setText(
      keyring ? QCoreApplication::translate("frmOption",
                                            "パスワードはデスクトップのキーリングに保存されます。")
              : QCoreApplication::translate("frmOption",
                                            "キーリングが使えないため、パスワードは設定ファイル"
                                            "（QvrArc.ini）に符号化して保存されます。"));
  for (size_t i = 0; i < links_.size(); ++i) {
    links_[i]->setChecked(Associated(kAssociationBoxes[i].format));
  }
  ShowValues(loaded_);
  SelectPage(0);
  for (size_t i = 0; i < links_.size(); ++i) {
    available_[i] = AssociationAvailable(status, kAssociationBoxes[i].format);
    links_[i]->setEnabled(available_[i]);
  }
  // The number check runs on the user's changes, not on the loaded values.
  for (QLineEdit* number : {txtPort, txtTimeOut})
    connect(number, &QLineEdit::textChanged, this, &frmOption::TextBoxChangeEvent);
}

bool frmOption::Associated(const std::string& format) const {
  return steps_.isAssociated && steps_.isAssociated(format);
}

void frmOption::Btn_Ext_All_Add_Click() {
  for (size_t i = 0; i < links_.size(); ++i)
    if (available_[i]) links_[i]->setChecked(true);
}

void frmOption::Btn_Ext_All_Delete_Click() {
  for (QCheckBox* link : links_) link->setChecked(false);
}

void frmOption::BtnOpenSoundFile_Click() {
  std::string path = OpenFileDialog(this, SoundFileFilter(), AppFolder());
  if (!path.empty()) txtSoundFilePath->setText(Q(path));
}

void frmOption::TextBoxChangeEvent(const QString& text) {
  if (!text.isEmpty() && !IsDigits(text.toStdString()))
    Inform(Tr("frmOption", "不正な値が入力されています。"));
}

bool frmOption::Save() {
  OptionValues values = TakeValues(loaded_);
  std::string refusal = CheckOption(values);
  if (!refusal.empty()) {
    Inform(refusal);
    return false;
  }
  WriteOption(values, steps_, [this](const std::string& format) {
    for (size_t i = 0; i < links_.size(); ++i)
      if (format == kAssociationBoxes[i].format) return links_[i]->isChecked();
    return false;
  });
  return true;
}

}  // namespace qvr
