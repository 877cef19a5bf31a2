// The extraction options (caption "Option-Extract-"): the common switches, normal and easy
// extraction and the viewer's extraction, over QvrArc.ini (OptionEx). OK checks, writes
// every key in its order and takes its three steps; Cancel writes nothing.
#pragma once

#include <functional>
#include <string>

#include "OptionEx.h"
#include "OptionTabDialog.h"

namespace qvr {

struct LibraryStatus;

// What OK does beside writing the file: the main window's copy of UseYZ2DEC, the
// easy-extraction desktop launcher and the status bar's two pictures.
struct OptionExFollowUps {
  std::function<void(bool useYZ2DEC)> setUseYZ2DEC;
  std::function<void(bool useDesktop)> updateDDModeShortcut;
  std::function<void()> showStatusBarPictures;
};

class frmOptionEx : public OptionTabDialog {
  Q_OBJECT

 public:
  // alwaysPathInUse: the main window extracts to the usual place, so it may not be empty.
  frmOptionEx(const LibraryStatus& status, OptionExFollowUps followUps, bool alwaysPathInUse,
              QWidget* parent = nullptr);

 protected:
  bool Save() override;

 private:
  void BuildCommonPage();
  void BuildNormalPage();
  void BuildDDModePage();
  void BuildArcViewPage();
  QGroupBox* FileNameFolderFrame(const std::string& prefix, QRadioButton*& autoOption,
                                 QRadioButton*& useOption, QRadioButton*& noUseOption);
  void Load(const LibraryStatus& status);
  void optArcViewAction_Click();
  void DeleteArchiveWarning(bool checked);
  void FolderButton(QLineEdit* target);

  OptionExFollowUps followUps_;
  bool alwaysPathInUse_;
  bool loading_ = false;
  OptionValues loaded_;

  QCheckBox* chkShowListViewer = nullptr;
  QCheckBox* chkUseYZ2DEC = nullptr;
  QCheckBox* chkErrorSkip = nullptr;
  QCheckBox* chkPreScan = nullptr;
  QCheckBox* chkUseSevenZip = nullptr;
  QCheckBox* chkOpenFolder = nullptr;

  QLineEdit* txtAlwaysFolder = nullptr;
  QPushButton* Btn_FolderDlg = nullptr;
  QCheckBox* chkDirectory = nullptr;
  QCheckBox* chkOverWriteNormal = nullptr;
  QRadioButton* ExNormal_FileNameFolder_Auto = nullptr;
  QRadioButton* ExNormal_FileNameFolder_Use = nullptr;
  QRadioButton* ExNormal_FileNameFolder_NoUse = nullptr;
  QCheckBox* chkDeleteArchiveNormal = nullptr;
  QComboBox* cmbNameCodePage = nullptr;

  QRadioButton* optDDMODE_ExtDesktop = nullptr;
  QRadioButton* optDDMODE_ExtFileExist = nullptr;
  QRadioButton* optDDMODE_ExtSelfDecide = nullptr;
  QLineEdit* txtDDMODE_SelfDecide = nullptr;
  QPushButton* Btn_DDMODE_SelfDecideOpen = nullptr;
  QCheckBox* chkUseDesktop = nullptr;
  QCheckBox* chkOverWriteDDMODE = nullptr;
  QRadioButton* ExDDMODE_FileNameFolder_Auto = nullptr;
  QRadioButton* ExDDMODE_FileNameFolder_Use = nullptr;
  QRadioButton* ExDDMODE_FileNameFolder_NoUse = nullptr;
  QCheckBox* chkDeleteArchiveDDMODE = nullptr;

  QCheckBox* chkOverWriteArcView = nullptr;
  QRadioButton* optArcViewAction_Open = nullptr;
  QRadioButton* optArcViewAction_Extract = nullptr;
  QRadioButton* optArcViewPlace_OpenOnly = nullptr;
  QRadioButton* optArcViewPlace_OnDemand = nullptr;
  QRadioButton* optArcViewPlace_Always = nullptr;
  QRadioButton* optArcViewPlace_Template = nullptr;
  QLineEdit* txtArcViewPlace_AlwaysFolder = nullptr;
  QPushButton* Btn_ARCVIEW_SelfDecideOpen = nullptr;
  QComboBox* cmbArcViewPlace_Template = nullptr;
  QCheckBox* chkMakeFolder4ListView = nullptr;
};

}  // namespace qvr
