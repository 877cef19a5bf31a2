// The viewer's and the composer's windows offscreen, with our own libraries on a fixture: the
// caption, columns and menu, the header sort of numbers and dates, the keys, the drag out,
// the docking to the main window (positions in twips) and the tree dialog.
#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <atomic>
#include <filesystem>
#include <numeric>
#include <thread>

#include "AppFolder.h"
#include "ArchiverDLL.h"
#include "ArchiverDLL_TreeViewer.h"
#include "FakeMainWindow.h"
#include "RawNameZip.h"
#include "Settings.h"
#include "TempDir.h"
#include "frmListViewer.h"
#include "frmTreeView.h"

namespace qvr::test {

namespace fs = std::filesystem;

// The fake main window with the real window's runResponsive: the work on a thread of its
// own while this thread goes on handling events.
class AnsweringWindow : public FakeMainWindow {
 public:
  void runResponsive(const std::function<void()>& work) override {
    ++responsiveCalls;
    std::atomic<bool> done{false};
    std::thread worker([&] {
      work();
      done = true;
    });
    while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    worker.join();
  }
};

// A zip of `count` entries "fNNNNN" of i % 97 bytes each, written by Python's zipfile.
bool MakeManyEntryZip(const std::string& path, int count) {
  std::string script = "import zipfile\nz = zipfile.ZipFile('" + path + "', 'w')\nfor i in range(" +
                       std::to_string(count) +
                       "): z.writestr('f%05d' % i, 'x' * (i % 97))\nz.close()\n";
  return std::system(("python3 -c \"" + script + "\"").c_str()) == 0;
}

class TestFrmListViewer : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TempDir> temp;
  LibraryStatus status;
  FakeMainWindow window;
  std::unique_ptr<ArchiverDLL_Inspect> inspect;
  std::string archive;
  bool docked = true;
  int relists = 0;

  std::unique_ptr<frmListViewer> NewViewer(QWidget* main) {
    ViewerHost host{window, status, *inspect, main, &docked, [this] { ++relists; }};
    return std::make_unique<frmListViewer>(std::move(host));
  }
  std::vector<std::string> Column(frmListViewer& viewer, int column) {
    std::vector<std::string> cells;
    QAbstractItemModel* m = viewer.list()->model();
    for (int r = 0; r < m->rowCount(); ++r)
      cells.push_back(m->data(m->index(r, column)).toString().toStdString());
    return cells;
  }

 private slots:
  void init() {
    temp = std::make_unique<TempDir>();
    SetAppFolder(temp->path() + "/");
    SetSearchExecutableFolder(std::string(QVR_BIN_DIR) + "/");
    status = LibraryStatus{};
    status.UNZIP32 = status.ZIP32J = status.ZIP32 = status.SEVENZIP32 = true;
    window = FakeMainWindow();
    inspect = std::make_unique<ArchiverDLL_Inspect>(status, nullptr);
    archive = temp->file("zip_deflate.zip");
    fs::copy_file(std::string(QVR_FIXTURES_DIR) + "/zip_deflate.zip", archive);
    docked = true;
    relists = 0;
  }
  void cleanup() {
    SetSearchExecutableFolder(std::nullopt);
    temp.reset();
  }

  // A listing that had to guess offers the code pages; choosing one lists again at once.
  void theCodePageMenuListsAgain() {
    const std::string russian = temp->file("russian.zip");
    QVERIFY(MakeRawNameZip(russian, "cp866", {{"Папка/Отчёт за год.txt", "отчёт\n"}}));
    auto viewer = NewViewer(nullptr);
    viewer->ShowArchive(russian);
    QVERIFY(viewer->mnuCodePage->isEnabled());
    QCOMPARE(viewer->mnuCodePage->title(), QString("ファイル名の文字コード(&C): CP932"));
    QVERIFY(viewer->model().FileName(0) != "Папка/Отчёт за год.txt");
    QAction* cp866 = nullptr;
    for (QAction* action : viewer->mnuCodePage->actions()) {
      if (action->text() == "CP866") cp866 = action;
      QCOMPARE(action->isChecked(), action->text() == "CP932");
    }
    QVERIFY(cp866);
    cp866->trigger();
    QCOMPARE(viewer->model().rowCount(), 1);
    QCOMPARE(viewer->model().FileName(0), std::string("Папка/Отчёт за год.txt"));
    QVERIFY(cp866->isChecked());
    QCOMPARE(viewer->engine().nameCodePage(), std::string("CP866"));
  }

  void captionColumnsAndMenu() {
    auto viewer = NewViewer(nullptr);
    viewer->ShowArchive(archive);
    QCOMPARE(viewer->windowTitle(), QString("File Viewer"));
    const char* keys[] = {"FileName", "Date", "OriginalSize", "CompressionSize", "Ratio"};
    const int twips[] = {1860, 1740, 860, 860, 570};
    double tpp = 1440.0 / viewer->logicalDpiX();
    QTreeView* list = viewer->list();
    for (int c = 0; c < 5; ++c) {
      QCOMPARE(list->model()->headerData(c, Qt::Horizontal).toString(), QString(keys[c]));
      // The design's width is the least; the date, sizes and ratio widen to their cells.
      QVERIFY(list->columnWidth(c) * tpp >= twips[c] - tpp);
      if (c > 0) QVERIFY(list->columnWidth(c) >= static_cast<ViewerList*>(list)->ContentWidth(c));
    }
    QVERIFY(std::abs(list->columnWidth(0) * tpp - twips[0]) <= tpp);
    QString date = list->model()->index(0, kColDate).data().toString();
    QCOMPARE(date.size(), 19);  // "YYYY/MM/DD hh:nn:ss"
    QVERIFY(list->fontMetrics().horizontalAdvance(date) < list->columnWidth(kColDate));
    QStringList captions;
    for (QAction* a : viewer->mnuPopUp->actions()) captions << (a->isSeparator() ? "-" : a->text());
    QCOMPARE(captions,
             QStringList({"開く", "開く（場所を指定して保存）", "開く（いつものところへ保存）", "-",
                          "解凍（解凍先を指定）", "解凍（いつものところへ）",
                          "解凍(テンプレート指定)", "-", "ファイル名の文字コード(&C)", "-",
                          "検査(&T)", "削除(&D)", "-", "圧縮ファイル名でフォルダを作成する"}));
    // Every name of the fixture is UTF-8: no code page to choose.
    QVERIFY(!viewer->mnuCodePage->isEnabled());
    QStringList special;
    for (QAction* a : viewer->mnuExtractBase->actions()) special << a->text();
    QCOMPARE(special,
             QStringList({"マイ ドキュメント", "デスクトップ", "システムフォルダ", "Windows"}));
    QVERIFY(viewer->mnuOptMakeFolder->isCheckable());
    QVERIFY(!viewer->mnuOptMakeFolder->isChecked());
    viewer->mnuOptMakeFolder->trigger();
    QVERIFY(viewer->engine().makeFolder());
    QVERIFY(GetIniString(kQvrArcIni, "GENERAL", "MakeFolder4ListView").empty());
  }

  void sortsNumbersAndDatesAndFlips() {
    auto viewer = NewViewer(nullptr);
    viewer->ShowArchive(archive);
    QCOMPARE(viewer->list()->model()->rowCount(), viewer->model().rowCount());
    QVERIFY(viewer->model().rowCount() >= 6);
    viewer->SortByColumn(kColOriginalSize);  // ascending first
    std::vector<uint64_t> sizes;
    auto* proxy = static_cast<ViewerSortModel*>(viewer->list()->model());
    for (int r = 0; r < proxy->rowCount(); ++r)
      sizes.push_back(viewer->model().SortKey(proxy->SourceRow(r), kColOriginalSize));
    QVERIFY(std::is_sorted(sizes.begin(), sizes.end()));
    QCOMPARE(sizes.back(), uint64_t(65536));  // as a number: "65,536" after "16,016"
    viewer->SortByColumn(kColOriginalSize);
    QCOMPARE(viewer->model().SortKey(proxy->SourceRow(0), kColOriginalSize), uint64_t(65536));
    viewer->SortByColumn(kColDate);  // flips again: ascending
    std::vector<std::string> dates = Column(*viewer, kColDate);
    QVERIFY(std::is_sorted(dates.begin(), dates.end()));  // "YYYY/MM/DD hh:nn:ss" reads in order
    viewer->SortByColumn(kColFileName);
    std::vector<std::string> names = Column(*viewer, kColFileName);
    QVERIFY(std::is_sorted(names.rbegin(), names.rend()));
  }

  void keysAndDragOut() {
    auto viewer = NewViewer(nullptr);
    viewer->ShowArchive(archive);
    QTreeView* list = viewer->list();
    QVERIFY(QTest::qWaitForWindowExposed(viewer.get()));
    auto* proxy = static_cast<ViewerSortModel*>(list->model());
    int row = 0;
    while (viewer->model().FileName(proxy->SourceRow(row)) != "readme.txt") ++row;
    list->setCurrentIndex(proxy->index(row, 0));
    list->setFocus();
    window.messageAnswers = {MsgResult::No};
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(int(window.messages.size()), 1);
    QCOMPARE(window.messages[0].buttons, MsgButtons::YesNoDefaultNo);
    QCOMPARE(relists, 0);
    QTest::keyClick(list, Qt::Key_0, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(window.messages.back().text, std::string("(つД｀) ﾊﾞﾚﾀ"));

    QList<QUrl> urls = viewer->ExtractForDrag({"docs/notes.txt", "readme.txt"});
    QCOMPARE(urls.size(), 2);
    QCOMPARE(fs::file_size(urls[0].toLocalFile().toStdString()), uintmax_t(1537));
    QVERIFY(!urls[0].toLocalFile().startsWith(QString::fromStdString(AppFolder())));

    QTest::keyClick(list, Qt::Key_Escape);
    QVERIFY(!viewer->isVisible());
  }

  // The rows arrive in parts while the window answers; a sort and the current row chosen
  // after the first part hold for every row that comes later.
  void listsInPartsWhileTheWindowAnswers() {
    const int count = 30000;
    std::string big = temp->file("many.zip");
    QVERIFY(MakeManyEntryZip(big, count));
    AnsweringWindow answering;
    ViewerHost host{answering, status, *inspect, nullptr, &docked, {}};
    frmListViewer viewer(std::move(host));
    auto* proxy = static_cast<ViewerSortModel*>(viewer.list()->model());
    std::vector<int> parts;
    bool acted = false;
    connect(proxy, &QAbstractItemModel::rowsInserted, this,
            [&](const QModelIndex&, int first, int last) {
              parts.push_back(last - first + 1);
              if (acted) return;
              acted = true;
              // What a user does between the first part and the rest: sort by size, pick
              // a row.
              viewer.SortByColumn(kColOriginalSize);
              // A row of the first part (it holds 64 rows at least).
              for (int row = 0; row < proxy->rowCount(); ++row)
                if (viewer.model().FileName(proxy->SourceRow(row)) == "f00030")
                  viewer.list()->setCurrentIndex(proxy->index(row, 0));
            });
    viewer.ShowArchive(big);
    QCOMPARE(proxy->rowCount(), count);
    QVERIFY(parts.size() > 2);
    QVERIFY(parts[0] <= 256);  // a first screenful at most comes at once
    QCOMPARE(std::accumulate(parts.begin(), parts.end(), 0), count);
    std::vector<uint64_t> sizes;
    for (int r = 0; r < proxy->rowCount(); ++r)
      sizes.push_back(viewer.model().SortKey(proxy->SourceRow(r), kColOriginalSize));
    QVERIFY(std::is_sorted(sizes.begin(), sizes.end()));
    // Equal sizes keep the listing order: the merge gives what one sort of all rows gives.
    QCOMPARE(viewer.model().FileName(proxy->SourceRow(0)), std::string("f00000"));
    QCOMPARE(viewer.model().FileName(proxy->SourceRow(1)), std::string("f00097"));
    QCOMPARE(viewer.CurrentEntry(), std::string("f00030"));
    QCOMPARE(answering.responsiveCalls, 1);
  }

  // A second archive opened, or the window closed, while a listing runs: the listing stops
  // at its next entry and none of its later rows reach the list.
  void aSecondOpenOrACloseStopsTheListing() {
    std::string big = temp->file("many.zip");
    QVERIFY(MakeManyEntryZip(big, 30000));
    AnsweringWindow answering;
    ViewerHost host{answering, status, *inspect, nullptr, &docked, {}};
    frmListViewer viewer(std::move(host));
    QAbstractItemModel* proxy = viewer.list()->model();
    bool once = false;
    auto connection = connect(proxy, &QAbstractItemModel::rowsInserted, this, [&] {
      if (once) return;
      once = true;
      viewer.ShowArchive(archive);  // as the first part shows
    });
    viewer.ShowArchive(big);
    disconnect(connection);
    QCOMPARE(viewer.archive(), archive);
    ArchiverDLL_List list(status, *inspect, nullptr);
    ArchiveListModel alone;
    QVERIFY(list.ListByExtension(archive, alone));
    QCOMPARE(proxy->rowCount(), alone.rowCount());
    for (int r = 0; r < alone.rowCount(); ++r)
      QCOMPARE(viewer.model().FileName(r), alone.FileName(r));

    int atClose = -1;
    connection = connect(proxy, &QAbstractItemModel::rowsInserted, this, [&] {
      if (atClose >= 0) return;
      atClose = proxy->rowCount();
      viewer.close();  // as the first part shows
    });
    viewer.ShowArchive(big);
    disconnect(connection);
    QVERIFY(!viewer.isVisible());
    QVERIFY(atClose > 0 && atClose <= 256);
    QCOMPARE(proxy->rowCount(), atClose);  // the parts after the close were dropped
  }

  void docksWithinAHundredTwips() {
    if (!frmListViewer::CanPlaceWindows()) QSKIP("top-level windows cannot be placed here");
    QWidget main;
    main.resize(400, 300);
    main.move(100, 100);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    auto viewer = NewViewer(&main);
    viewer->ShowArchive(archive);
    QVERIFY(QTest::qWaitForWindowExposed(viewer.get()));
    QCoreApplication::processEvents();
    // Opened docked: at the main window's right edge, as high as it.
    QCOMPARE(viewer->frameGeometry().x(), main.frameGeometry().right() + 1);
    QCOMPARE(viewer->frameGeometry().y(), main.frameGeometry().y());
    QCOMPARE(viewer->frameGeometry().height(), main.frameGeometry().height());

    // The main window moves and grows: the docked viewer follows.
    main.move(150, 120);
    main.resize(400, 350);
    viewer->MainWindowMoved();
    QCoreApplication::processEvents();
    QCOMPARE(viewer->frameGeometry().topLeft(), QPoint(main.frameGeometry().right() + 1, 120));
    QCOMPARE(viewer->frameGeometry().height(), main.frameGeometry().height());

    // Pixel offsets whose twips are within 100 and beyond it.
    double tpp = 1440.0 / viewer->logicalDpiX();
    int near = int(100 / tpp), far = near + 1;
    QVERIFY(near * tpp <= 100 && far * tpp > 100);

    int edge = main.frameGeometry().right() + 1;
    viewer->move(edge + near, 200);
    QCoreApplication::processEvents();
    QVERIFY(docked);
    // The main window follows the viewer: its right edge at the viewer's left edge.
    QCOMPARE(main.frameGeometry().right() + 1, edge + near);
    QCOMPARE(main.frameGeometry().y(), 200);

    edge = main.frameGeometry().right() + 1;
    QPoint mainAt = main.frameGeometry().topLeft();
    viewer->move(edge + far, 260);
    QCoreApplication::processEvents();
    QVERIFY(!docked);
    QCOMPARE(main.frameGeometry().topLeft(), mainAt);
    // Undocked, a move of the main window leaves the viewer where it is.
    QPoint viewerAt = viewer->frameGeometry().topLeft();
    main.move(mainAt + QPoint(30, 30));
    viewer->MainWindowMoved();
    QCoreApplication::processEvents();
    QCOMPARE(viewer->frameGeometry().topLeft(), viewerAt);

    // Back within 100 twips docks again; resizing the docked viewer sets the main height.
    edge = main.frameGeometry().right() + 1;
    viewer->move(edge - near, main.frameGeometry().y());
    QCoreApplication::processEvents();
    QVERIFY(docked);
    viewer->resize(viewer->width(), 420);
    QCoreApplication::processEvents();
    QCOMPARE(main.frameGeometry().height(), viewer->frameGeometry().height());
    QCOMPARE(main.frameGeometry().y(), viewer->frameGeometry().y());
  }

  void treeDialogAddsIntoTheChosenFolder() {
    std::string file = temp->file("drop/new.txt");
    WriteFile(file, "new");
    QVERIFY(WriteDroppedList({file}, window));
    frmTreeView dialog(archive, status, window);
    QCOMPARE(dialog.windowTitle(), QString("QuiverArchiver"));
    QTreeWidgetItem* root = dialog.TreeView1->topLevelItem(0);
    QCOMPARE(root->text(0), QString("<ROOT>"));
    QCOMPARE(root->childCount(), 1);
    QCOMPARE(root->child(0)->text(0), QString("docs"));
    dialog.Btn_OK->click();  // nothing chosen
    QCOMPARE(window.messages.back().text, std::string("追加先パスが選択されていません。"));
    QVERIFY(!dialog.added());
    QRect at = dialog.TreeView1->visualItemRect(root->child(0));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    at = dialog.TreeView1->visualItemRect(root->child(0));
    QTest::mouseClick(dialog.TreeView1->viewport(), Qt::LeftButton, {}, at.center());
    QCOMPARE(dialog.selectedPath(), std::string("<ROOT>\\docs"));
    dialog.Btn_OK->click();
    QVERIFY(dialog.added());
    QCOMPARE(window.panels[1], std::string("1ファイル追加"));
    ArchiveTree tree;
    QVERIFY(BuildArchiveTree(tree, archive, status, nullptr));
    ArchiverDLL_List list(status, *inspect, nullptr);
    ArchiveListModel model;
    QVERIFY(list.ListByExtension(archive, model));
    bool found = false;
    for (int r = 0; r < model.rowCount(); ++r) found |= model.FileName(r) == "docs/new.txt";
    QVERIFY(found);
  }
};

}  // namespace qvr::test

QTEST_MAIN(qvr::test::TestFrmListViewer)
#include "test_frmListViewer.moc"
