// The general options (caption "Option"): file associations and how the extractor starts
// through them, the shell entries, the sound, the font size, the sort order and the mail
// notice (Option). OK checks, writes every key in its order and takes the shell steps;
// Cancel writes nothing. Opened with "DDMODE_SETTING" it is modeless and its closing ends
// the program (the main window does that).
#pragma once

#include <array>
#include <string>

#include "Option.h"
#include "OptionTabDialog.h"

namespace qvr {

class frmOption : public OptionTabDialog {
  Q_OBJECT

 public:
  frmOption(const LibraryStatus& status, OptionSteps steps, const std::string& openingMode,
            QWidget* parent = nullptr);
  const std::string& openingMode() const { return openingMode_; }

 protected:
  bool Save() override;

 private:
  void BuildAssociationPage();
  void BuildOtherPage();
  void BuildMailPage();
  void Load(const LibraryStatus& status);
  void Btn_Ext_All_Add_Click();
  void Btn_Ext_All_Delete_Click();
  void BtnOpenSoundFile_Click();
  void TextBoxChangeEvent(const QString& text);
  bool Associated(const std::string& format) const;

  OptionSteps steps_;
  std::string openingMode_;
  OptionValues loaded_;
  std::array<QCheckBox*, 23> links_{};
  std::array<bool, 23> available_{};

  QPushButton* Btn_Ext_All_Add = nullptr;
  QPushButton* Btn_Ext_All_Delete = nullptr;
  QRadioButton* optExtMODE_Normal = nullptr;
  QRadioButton* optExtMODE_Easy = nullptr;

  QRadioButton* optSort_FullPath = nullptr;
  QRadioButton* optSort_Path = nullptr;
  QRadioButton* optSort_FileName = nullptr;
  QCheckBox* chkEndNotice = nullptr;
  QCheckBox* chkDesktopNotice = nullptr;
  QCheckBox* chkUseSound = nullptr;
  QLineEdit* txtSoundFilePath = nullptr;
  QPushButton* BtnOpenSoundFile = nullptr;
  QRadioButton* optFontSize_Normal = nullptr;
  QRadioButton* optFontSize_Large = nullptr;
  QCheckBox* chkUseRCFolderQvrAdd = nullptr;
  QCheckBox* chkUseDeskTopNormal = nullptr;
  QCheckBox* chkUseSendTo = nullptr;

  QCheckBox* chkUseEMail = nullptr;
  QLineEdit* txtSMTPServer = nullptr;
  QLineEdit* txtPort = nullptr;
  QLineEdit* txtTimeOut = nullptr;
  QCheckBox* chkSMTPAUTHUse = nullptr;
  QRadioButton* optSMTPA_LOGIN = nullptr;
  QRadioButton* optSMTPA_PLAIN = nullptr;
  QRadioButton* optSMTPA_CRAM = nullptr;
  QLineEdit* txtSMTPUserName = nullptr;
  QLineEdit* txtSMTPPassword = nullptr;
  QLineEdit* txtMailTo = nullptr;
  QLineEdit* txtMailFrom = nullptr;
  QLineEdit* txtSubject = nullptr;
  QCheckBox* chkPOPBSMTPUse = nullptr;
  QLineEdit* txtPOPServer = nullptr;
  QLineEdit* txtPOPUserName = nullptr;
  QLineEdit* txtPOPPassword = nullptr;
  QLabel* lblPasswordStore = nullptr;  // where the passwords are kept
};

}  // namespace qvr
