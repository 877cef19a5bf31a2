#include "OptionArc.h"

#include <vector>

#include "Settings.h"
#include "Translate.h"

namespace qvr {

// clang-format off
const std::array<ArcOptionRow, size_t(ArchiveKey::Count)> kOptionArcRows = {{
  {ArchiveKey::Use7Zip, ArcControlKind::Check, QVR_TRANSLATE_NOOP("Options", "ZIPの圧縮に7zip32.dllを使う")},
  {ArchiveKey::LzhArchiveLevel, ArcControlKind::Choice, QVR_TRANSLATE_NOOP("Options", "LZHの圧縮レベル[jm]")},
  {ArchiveKey::LzhHuffmanBufferSize, ArcControlKind::Number, QVR_TRANSLATE_NOOP("Options", "LZHのHuffmanバッファサイズ[je]")},
  {ArchiveKey::ZipArchiveLevel, ArcControlKind::Choice, QVR_TRANSLATE_NOOP("Options", "ZIPの圧縮率・速度設定[#]")},
  {ArchiveKey::ZipArchiveLevel7z, ArcControlKind::Choice, QVR_TRANSLATE_NOOP("Options", "ZIP(7zip.dll)の圧縮レベル[mx]")},
  {ArchiveKey::ZipArchiveMethod7z, ArcControlKind::Choice, QVR_TRANSLATE_NOOP("Options", "ZIP(7zip.dll)の圧縮方法[mm]")},
  {ArchiveKey::ZipDeflateMem7z, ArcControlKind::Number, QVR_TRANSLATE_NOOP("Options", "Deflateエンコーダ用メモリ[mfb]")},
  {ArchiveKey::ZipDeflatePass7z, ArcControlKind::Number, QVR_TRANSLATE_NOOP("Options", "Deflateエンコーダパス[mpass]")},
  {ArchiveKey::ZipEncrypt, ArcControlKind::Check, QVR_TRANSLATE_NOOP("Options", "ZIPにパスワードを付ける")},
  {ArchiveKey::ZipVolumeSize, ArcControlKind::Number, QVR_TRANSLATE_NOOP("Options", "ZIPの分割サイズ(MB)")},
  {ArchiveKey::CabArchiveType, ArcControlKind::Choice, QVR_TRANSLATE_NOOP("Options", "CABの圧縮方式[m]")},
  {ArchiveKey::CabLZXArchiveLevel, ArcControlKind::Choice, QVR_TRANSLATE_NOOP("Options", "CABの圧縮率（LZX方式のみ）")},
  {ArchiveKey::SevenZArchiveLevel, ArcControlKind::Choice, QVR_TRANSLATE_NOOP("Options", "7ZIPの圧縮レベル[mx]")},
  {ArchiveKey::SevenZSolidMode, ArcControlKind::Check, QVR_TRANSLATE_NOOP("Options", "ソリッドモード使用[ms]")},
  {ArchiveKey::SevenZFilter, ArcControlKind::Check, QVR_TRANSLATE_NOOP("Options", "使用実行可能ファイルのフィルタ使用[mf]")},
  {ArchiveKey::SevenZHeaderComp, ArcControlKind::Check, QVR_TRANSLATE_NOOP("Options", "書庫ヘッダ圧縮[mhc]")},
  {ArchiveKey::SevenZCompleteHeaderComp, ArcControlKind::Check, QVR_TRANSLATE_NOOP("Options", "完全書庫ヘッダ圧縮[mhcf]")},
  {ArchiveKey::SevenZEncrypt, ArcControlKind::Check, QVR_TRANSLATE_NOOP("Options", "7ZIPにパスワードを付ける")},
  {ArchiveKey::SevenZVolumeSize, ArcControlKind::Number, QVR_TRANSLATE_NOOP("Options", "7ZIPの分割サイズ(MB)")},
  {ArchiveKey::GzArchiveLevel, ArcControlKind::Choice, QVR_TRANSLATE_NOOP("Options", "GZの圧縮レベル[N]")},
  {ArchiveKey::Bz2ArchiveLevel, ArcControlKind::Choice, QVR_TRANSLATE_NOOP("Options", "BZ2の圧縮レベル[N]")},
  {ArchiveKey::BzaArchiveLevel, ArcControlKind::Choice, QVR_TRANSLATE_NOOP("Options", "BZAの圧縮レベル[N]")},
  {ArchiveKey::GzaArchiveLevel, ArcControlKind::Choice, QVR_TRANSLATE_NOOP("Options", "GZAの圧縮レベル[N]")},
  {ArchiveKey::RkArchiveLevel, ArcControlKind::Choice, QVR_TRANSLATE_NOOP("Options", "RKの圧縮レベル")},
  {ArchiveKey::RkWAVArchiveLevel, ArcControlKind::Choice, QVR_TRANSLATE_NOOP("Options", "RKのWAV圧縮レベル[mw]")},
  {ArchiveKey::BhArchiveLevel, ArcControlKind::Choice, QVR_TRANSLATE_NOOP("Options", "BHの圧縮方式")},
  {ArchiveKey::Yz2BufferSize, ArcControlKind::Number, QVR_TRANSLATE_NOOP("Options", "圧縮バッファサイズ[--buffer-size]")},
  {ArchiveKey::Yz2PPM, ArcControlKind::Check, QVR_TRANSLATE_NOOP("Options", "PPMアルゴリズムで圧縮する")},
  {ArchiveKey::PaqarArchiveLevel, ArcControlKind::Choice, QVR_TRANSLATE_NOOP("Options", "PAQARの圧縮レベル[m]")},
}};
// clang-format on

int ArcRow(ArchiveKey key) {
  for (size_t i = 0; i < kOptionArcRows.size(); ++i)
    if (kOptionArcRows[i].key == key) return int(i);
  return -1;
}

OptionValues ReadOptionArc() {
  OptionValues values;
  for (const ArcOptionRow& row : kOptionArcRows) {
    std::string value = ReadArchiveSetting(row.key);
    if (row.kind == ArcControlKind::Check) value = value != "0" ? "1" : "0";
    values.push_back(value);
  }
  return values;
}

namespace {

// Blanks and quotes split or join a library's command-line arguments.
bool ChangesTheArguments(const std::string& value) {
  for (unsigned char c : value)
    if (c <= ' ' || c == '"' || c == '\'' || c == 0x7f) return true;
  return false;
}

}  // namespace

std::string CheckOptionArc(const OptionValues& values) {
  for (size_t i = 0; i < kOptionArcRows.size(); ++i) {
    const ArcOptionRow& row = kOptionArcRows[i];
    const std::string& value = values[i];
    if (row.kind == ArcControlKind::Number && !IsDigits(value))
      return NotANumberMessage(row.caption);
    if (row.kind == ArcControlKind::Choice && (value.empty() || ChangesTheArguments(value)))
      return Tr("OptionArc", "「") + Tr("Options", row.caption) + Tr("OptionArc", "」の値「") +
             value + Tr("OptionArc", "」は使えません。一覧から選択してください。");
  }
  return "";
}

void WriteOptionArc(const OptionValues& values) {
  std::vector<profile::Write> writes;
  for (size_t i = 0; i < kOptionArcRows.size(); ++i) {
    const ArchiveSetting& setting = ArchiveSettingOf(kOptionArcRows[i].key);
    writes.push_back({setting.section, setting.key, values[i]});
  }
  WriteIniStrings(kQvrArcIni, writes);
}

}  // namespace qvr
