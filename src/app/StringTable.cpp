#include "StringTable.h"

#include <QCoreApplication>
#include <map>

namespace qvr {

std::string LoadResString(int id) {
  static const std::map<int, std::string> table = {
      {101, QT_TRANSLATE_NOOP("StringTable", "ファイル(&F)")},
      {102, QT_TRANSLATE_NOOP("StringTable", "終了(&X)")},
      {103, QT_TRANSLATE_NOOP("StringTable", "解凍モード(&E)")},
      {104, QT_TRANSLATE_NOOP("StringTable", "圧縮モード(&R)")},
      {105, QT_TRANSLATE_NOOP("StringTable", "開始(&G)")},
      {106, QT_TRANSLATE_NOOP("StringTable", "ファイルリストの読み込み")},
      {107, QT_TRANSLATE_NOOP("StringTable", "ファイルリストの保存")},
      {108, QT_TRANSLATE_NOOP("StringTable", "フィルタリング(&F)")},
      {109, QT_TRANSLATE_NOOP("StringTable", "ソート(&S)")},
      {111, QT_TRANSLATE_NOOP("StringTable", "ツール(&T)")},
      {112, QT_TRANSLATE_NOOP("StringTable", "&DLLダウンロード")},
      {113, QT_TRANSLATE_NOOP("StringTable", "オプション(&O)")},
      {114, QT_TRANSLATE_NOOP("StringTable", "一般(&G)")},
      {115, QT_TRANSLATE_NOOP("StringTable", "解凍(&E)")},
      {116, QT_TRANSLATE_NOOP("StringTable", "圧縮(&A)")},
      {117, QT_TRANSLATE_NOOP("StringTable", "エラーログの表示(&L)")},
      {121, QT_TRANSLATE_NOOP("StringTable", "ヘルプ(&H)")},
      {122, QT_TRANSLATE_NOOP("StringTable", "ヘルプ(&H)")},
      {123, QT_TRANSLATE_NOOP("StringTable", "オンラインヘルプ(&O)")},
      {124, QT_TRANSLATE_NOOP("StringTable", "ﾊﾞｰｼﾞｮﾝ情報(&A)")},
      {131, QT_TRANSLATE_NOOP("StringTable", "解凍(&S)")},
      {132, QT_TRANSLATE_NOOP("StringTable", "設定(&O)")},
      {141, QT_TRANSLATE_NOOP("StringTable", "圧縮(&S)")},
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
  return QCoreApplication::translate("StringTable", LoadResString(kResBase + offset).c_str());
}

}  // namespace qvr
