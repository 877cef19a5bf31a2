#include "StringTable.h"

#include <map>

namespace qvr {

std::string LoadResString(int id) {
  static const std::map<int, std::string> table = {
      {101, "ファイル(&F)"},
      {102, "終了(&X)"},
      {103, "解凍モード(&E)"},
      {104, "圧縮モード(&R)"},
      {105, "開始(&G)"},
      {106, "ファイルリストの読み込み"},
      {107, "ファイルリストの保存"},
      {108, "フィルタリング(&F)"},
      {109, "ソート(&S)"},
      {111, "ツール(&T)"},
      {112, "&DLLダウンロード"},
      {113, "オプション(&O)"},
      {114, "一般(&G)"},
      {115, "解凍(&E)"},
      {116, "圧縮(&A)"},
      {117, "エラーログの表示(&L)"},
      {121, "ヘルプ(&H)"},
      {122, "ヘルプ(&H)"},
      {123, "オンラインヘルプ(&O)"},
      {124, "ﾊﾞｰｼﾞｮﾝ情報(&A)"},
      {131, "解凍(&S)"},
      {132, "設定(&O)"},
      {141, "圧縮(&S)"},
      {201, "&File"},
      {202, "Quit(&X)"},
      {203, "&Extract Mode"},
      {204, "A&rchive Mode"},
      {205, "Start(&G)"},
      {206, "Load FileList"},
      {207, "Save FileList"},
      {208, "&Filtering"},
      {209, "&Sort"},
      {211, "&Tools"},
      {212, "DLL &Download"},
      {213, "&Options"},
      {214, "&General"},
      {215, "&Extract"},
      {216, "&Archive"},
      {217, "Show Error &Logs"},
      {221, "&Help"},
      {222, "&Help"},
      {223, "&OnlineHelp"},
      {224, "Version(&A)"},
      {231, "Extract(&S)"},
      {232, "&Option"},
      {241, "Archive(&S)"},
  };
  auto it = table.find(id);
  return it == table.end() ? "" : it->second;
}

QString ResCaption(int offset) {
  return QString::fromStdString(LoadResString(kResBase + offset));
}

}  // namespace qvr
