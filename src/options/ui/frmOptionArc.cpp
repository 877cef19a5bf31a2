#include "frmOptionArc.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "Translate.h"

namespace qvr {

frmOptionArc::frmOptionArc(QWidget* parent)
    : OptionTabDialog("frmOptionArc", "Option-Archive-", parent) {
  QBoxLayout* page =
      AddPage(Tr("frmOptionArc", "圧縮"), Tr("frmOptionArc", "圧縮の設定を行います。"));
  CheckBox(page, ArchiveKey::Use7Zip, "GENARC_chkUse7zip",
           Tr("frmOptionArc", "ZIPの圧縮に7zip32.dllを使う"));

  page = AddPage("LZH", "");
  ListBox(page, ArchiveKey::LzhArchiveLevel, "LZH_cmbArchiveLevel",
          Tr("frmOptionArc", "圧縮レベル[jm]"), {"lh0", "lh1", "lh5", "lh6", "lh7", "Auto"},
          {"lh0...No Compress", "lh1...LHarc Compatible", "lh5...Default",
           "lh6...LHA Ver 2.6x Compatible", "lh7...Highest",
           Tr("frmOptionArc", "Auto...Very Slow(lh0-7を総当たりで一番圧縮率が高いものにする)")});
  NumberBox(page, ArchiveKey::LzhHuffmanBufferSize, "LZH_txtHuffmanBufferSize",
            Tr("frmOptionArc", "Huffmanバッファサイズ[je]"),
            {"Max 32768 - Min 4096", Tr("frmOptionArc", "デフォルト16384Bytes")});

  page = AddPage("ZIP", "");
  ListBox(page, ArchiveKey::ZipArchiveLevel, "ZIP_cmbArchiveLevel",
          Tr("frmOptionArc", "圧縮率・速度設定[#]"),
          {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"},
          {"0...No Compress", "1...Fastest(Low)", "6...Default", "9...Slow(High)"});
  CheckBox(page, ArchiveKey::ZipEncrypt, "ZIP_chkEncrypt",
           Tr("frmOptionArc", "パスワードを付ける（AES-256）"));
  Hints(page, {Tr("frmOptionArc", "パスワードは開始時に入力します（保存されません）")});
  NumberBox(page, ArchiveKey::ZipVolumeSize, "ZIP_txtVolumeSize",
            Tr("frmOptionArc", "分割サイズ(MB)"),
            {Tr("frmOptionArc", "0...分割しない"),
             Tr("frmOptionArc", "x.z01, x.z02 ... x.zip に分けて作成します")});

  page = AddPage("ZIP(7zip.dll)", "");
  ListBox(page, ArchiveKey::ZipArchiveLevel7z, "ZIP_7z_cmbArchiveLevel",
          Tr("frmOptionArc", "圧縮レベル[mx]"), {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"},
          {"5...Default"});
  ListBox(page, ArchiveKey::ZipArchiveMethod7z, "ZIP_7z_cmbArchiveMethod",
          Tr("frmOptionArc", "圧縮方法[mm]"), {"Copy", "Deflate", "Deflate64", "BZip2"});
  NumberBox(page, ArchiveKey::ZipDeflateMem7z, "ZIP_7z_txtDeflateMem",
            Tr("frmOptionArc", "Deflateエンコーダ用メモリ[mfb]"),
            {"3MBytes - 64MBytes", "Default 32MBytes"});
  NumberBox(page, ArchiveKey::ZipDeflatePass7z, "ZIP_7z_txtDeflatePass",
            Tr("frmOptionArc", "Deflateエンコーダパス[mpass]"), {"1 - 3", "Default 1"});

  page = AddPage("CAB", "");
  ListBox(page, ArchiveKey::CabArchiveType, "CAB_cmbArchiveType", Tr("frmOptionArc", "圧縮方式[m]"),
          {"MSZIP", "LZX", "NoCompress"},
          {"MSZIP...Default(Fastest)", "LZX/15...Fast(Low)", "LZX/21...Slow(Highest)"});
  ListBox(page, ArchiveKey::CabLZXArchiveLevel, "CAB_cmbLZXArchiveLevel",
          Tr("frmOptionArc", "圧縮率（LZX方式のみ）"), {"15", "16", "17", "18", "19", "20", "21"});

  page = AddPage("7ZIP", "");
  ListBox(page, ArchiveKey::SevenZArchiveLevel, "SevenZIP_cmbArchiveLevel",
          Tr("frmOptionArc", "圧縮レベル[mx]"), {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"},
          {"0...No Compress", "1...Fast", "5...Normal", "9...Ultra"});
  CheckBox(page, ArchiveKey::SevenZSolidMode, "SevenZIP_chkSolid",
           Tr("frmOptionArc", "ソリッドモード使用[ms]"));
  CheckBox(page, ArchiveKey::SevenZFilter, "SevenZIP_cmbFilter",
           Tr("frmOptionArc", "使用実行可能ファイルのフィルタ使用[mf]"));
  CheckBox(page, ArchiveKey::SevenZHeaderComp, "SevenZIP_HeaderComp",
           Tr("frmOptionArc", "書庫ヘッダ圧縮[mhc]"));
  CheckBox(page, ArchiveKey::SevenZCompleteHeaderComp, "SevenZIP_CompleteHeaderComp",
           Tr("frmOptionArc", "完全書庫ヘッダ圧縮[mhcf]"));
  CheckBox(page, ArchiveKey::SevenZEncrypt, "SevenZIP_chkEncrypt",
           Tr("frmOptionArc", "パスワードを付ける（ファイル名も暗号化[mhe]）"));
  Hints(page, {Tr("frmOptionArc", "パスワードは開始時に入力します（保存されません）")});
  NumberBox(page, ArchiveKey::SevenZVolumeSize, "SevenZIP_txtVolumeSize",
            Tr("frmOptionArc", "分割サイズ(MB)[v]"),
            {Tr("frmOptionArc", "0...分割しない"),
             Tr("frmOptionArc", "x.7z.001, x.7z.002 ... に分けて作成します")});

  const std::pair<const char*, ArchiveKey> levels[] = {{"GZ", ArchiveKey::GzArchiveLevel},
                                                       {"BZ2", ArchiveKey::Bz2ArchiveLevel},
                                                       {"BZA", ArchiveKey::BzaArchiveLevel},
                                                       {"GZA", ArchiveKey::GzaArchiveLevel}};
  for (auto [format, key] : levels) {
    page = AddPage(format, "");
    std::string name = std::string(format) + "_cmbArchiveLevel";
    bool gz = key == ArchiveKey::GzArchiveLevel;
    QComboBox* combo = ListBox(page, key, "", Tr("frmOptionArc", "圧縮レベル[N]"),
                               {"1", "2", "3", "4", "5", "6", "7", "8", "9"});
    combo->setObjectName(QString::fromStdString(name));
    if (gz) {
      Hints(page, {"1...Low", "6...Default", "9...High"});
    } else {
      Hints(page, {"1...Low", "9...High(Default)"});
    }
  }

  page = AddPage("BH", "");
  ListBox(page, ArchiveKey::BhArchiveLevel, "BH_cmbArchiveLevel", Tr("frmOptionArc", "圧縮方式"),
          {"store", "deflate/superfast", "deflate/fast", "fuse", "deflate/normal", "deflate/extra"},
          {"store...Lowest", "deflate/normal...Default", "deflate/extra...Highest"});

  page = AddPage("RK", "");
  ListBox(page, ArchiveKey::RkArchiveLevel, "RK_cmbArchiveLevel", Tr("frmOptionArc", "圧縮レベル"),
          {"mf1", "mf2", "mf3", "mn1", "mn2", "mn3", "mx1", "mx2", "mx3"},
          {"mn1-3...Normal Mode", "mx1-3...Max Mode"});
  ListBox(page, ArchiveKey::RkWAVArchiveLevel, "RK_cmbWAVArchiveLevel",
          Tr("frmOptionArc", "WAV圧縮レベル[mw]"), {"mwf", "mwn", "mwx"},
          {"mwf...Fast Mode", "mwn...Normal Mode", "mwx...Max Mode"});

  page = AddPage("YZ2", "");
  NumberBox(page, ArchiveKey::Yz2BufferSize, "YZ2_txtBufferSize",
            Tr("frmOptionArc", "圧縮バッファサイズ[--buffer-size]"),
            {"1MBytes - 255MBytes", "Default 8MBytes"});
  CheckBox(page, ArchiveKey::Yz2PPM, "YZ2_chkPPM", Tr("frmOptionArc", "PPMアルゴリズムで圧縮する"));

  page = AddPage("PAQAR", "");
  ListBox(page, ArchiveKey::PaqarArchiveLevel, "PAQAR_cmbArchiveLevel",
          Tr("frmOptionArc", "圧縮レベル[m]"), {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"},
          {"0...Fast", "2...Normal(Default)", "9...High"});

  for (int i = 0; i < pageCount(); ++i)
    static_cast<QBoxLayout*>(this->page(i)->layout())->addStretch(1);
  loaded_ = ReadOptionArc();
  ShowValues(loaded_);
  SelectPage(0);
}

void frmOptionArc::Hints(QBoxLayout* page, std::initializer_list<std::string> hints) {
  for (const std::string& hint : hints) {
    QLabel* label = Hint(hint);
    label->setIndent(16);
    page->addWidget(label);
  }
}

QComboBox* frmOptionArc::ListBox(QBoxLayout* page, ArchiveKey key, const char* name,
                                 const std::string& label, std::initializer_list<const char*> items,
                                 std::initializer_list<std::string> hints) {
  QComboBox* combo = NewCombo(name, items, false);
  page->addLayout(Row(label, {combo}));
  static_cast<QBoxLayout*>(page->itemAt(page->count() - 1)->layout())->addStretch(1);
  Hints(page, hints);
  Bind(ArcRow(key), combo);
  return combo;
}

QLineEdit* frmOptionArc::NumberBox(QBoxLayout* page, ArchiveKey key, const char* name,
                                   const std::string& label,
                                   std::initializer_list<std::string> hints) {
  QLineEdit* text = NewText(name);
  text->setMaximumWidth(120);
  page->addLayout(Row(label, {text}));
  static_cast<QBoxLayout*>(page->itemAt(page->count() - 1)->layout())->addStretch(1);
  Hints(page, hints);
  Bind(ArcRow(key), text);
  return text;
}

QCheckBox* frmOptionArc::CheckBox(QBoxLayout* page, ArchiveKey key, const char* name,
                                  const std::string& caption) {
  QCheckBox* box = NewCheck(name, caption);
  page->addWidget(box);
  Bind(ArcRow(key), box);
  return box;
}

bool frmOptionArc::Save() {
  OptionValues values = TakeValues(loaded_);
  std::string refusal = CheckOptionArc(values);
  if (!refusal.empty()) {
    Inform(refusal);
    return false;
  }
  WriteOptionArc(values);
  return true;
}

}  // namespace qvr
