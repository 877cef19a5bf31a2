#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>
#include <QtTest>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

#include "AppFolder.h"
#include "Form1.h"
#include "Registry.h"
#include "RunProgressView.h"
#include "Settings.h"
#include "StringTable.h"
#include "TempDir.h"
#include "frmListViewer.h"
#include "frmProgress.h"
#include "frmReport.h"

using qvr::Form1;
using qvr::test::ReadFile;
using qvr::test::TempDir;
using qvr::test::WriteFile;

class TestForm1 : public QObject {
  Q_OBJECT

  std::unique_ptr<TempDir> app;
  std::unique_ptr<TempDir> config;

  static QString text(const char* s) { return QString::fromUtf8(s); }
  template <typename T>
  static T* child(Form1& form, const char* name) {
    T* found = form.findChild<T*>(name);
    if (!found) qFatal("no child %s", name);
    return found;
  }
  std::string ini(const char* section, const char* key) {
    return qvr::GetIniStringDef(qvr::kQvrArcIni, section, key, "<none>");
  }
  static void select(qvr::FileListBox* list, int row) {
    list->selectionModel()->select(list->model()->index(row, 0), QItemSelectionModel::Select);
  }
  // A writable copy of a fixture in the test's "in" folder.
  std::string copyFixture(const char* name) {
    std::filesystem::create_directories(app->file("in"));
    std::string path = app->file(std::string("in/") + name);
    std::filesystem::copy_file(std::string(QVR_FIXTURES_DIR) + "/" + name, path);
    return path;
  }
  static void dropOnList(Form1& form, const std::string& path) {
    auto* list = child<qvr::FileListBox>(form, "List1");
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &drop);
  }
  // Calls act with the next modal box as soon as it shows (for up to 5 s), so that a slow
  // step before the box cannot outrun it.
  static void onNextModal(const std::function<void(QMessageBox*)>& act, int triesLeft = 250) {
    QTimer::singleShot(20, [act, triesLeft] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        act(box);
      } else if (triesLeft > 0) {
        onNextModal(act, triesLeft - 1);
      }
    });
  }
  // A ZIP of a small file and `mib` MiB of zeros ("big.bin"), made by Python's zipfile.
  std::string bigZip(const char* name, int mib) {
    std::filesystem::create_directories(app->file("in"));
    std::string archive = app->file(std::string("in/") + name);
    WriteFile(app->file("make.py"),
              "import zipfile,sys\n"
              "with zipfile.ZipFile(sys.argv[1],'w',zipfile.ZIP_DEFLATED,compresslevel=1) as z:\n"
              "  z.writestr('a.txt','first\\n')\n"
              "  with z.open('big.bin','w',force_zip64=True) as f:\n"
              "    for _ in range(int(sys.argv[2])): f.write(bytes(1<<20))\n");
    std::string line =
        "python3 '" + app->file("make.py") + "' '" + archive + "' " + std::to_string(mib);
    if (std::system(line.c_str()) != 0) qFatal("cannot make %s", archive.c_str());
    return archive;
  }
  // Clicks `button` as soon as `label` names the big entry (polled every 2 ms).
  static void clickWhenBig(QTimer& timer, QLabel* label, QAbstractButton* button) {
    QObject::connect(&timer, &QTimer::timeout, [label, button] {
      if (label->isVisible() && label->text().contains("big.bin")) button->click();
    });
    timer.start(2);
  }
  // Answers the next modal box with its default button and records its text.
  static void closeNextModal(QString* seen) {
    onNextModal([seen](QMessageBox* box) {
      *seen = box->text();
      box->accept();
    });
  }

 private slots:
  void init() {
    app = std::make_unique<TempDir>();
    config = std::make_unique<TempDir>();
    qvr::SetAppFolder(app->path());
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config->path()));
  }

  void captionsComeFromTheStringTable() {
    Form1 form;
    QVERIFY(form.windowTitle().startsWith("QuiverArchiver v"));
    QCOMPARE(form.windowTitle().count('.'), 2);
    const std::pair<const char*, int> actions[] = {{"MnuQuit", 102},
                                                   {"MnuModeExtract", 103},
                                                   {"MnuModeArchive", 104},
                                                   {"MnuStart", 105},
                                                   {"MnuFileLoadFileList", 106},
                                                   {"MnuFileSaveFileList", 107},
                                                   {"MnuFiltering", 108},
                                                   {"MnuSort", 109},
                                                   {"MnuDLLDown", 112},
                                                   {"MnuOptGeneral", 114},
                                                   {"MnuOptExtract", 115},
                                                   {"MnuOptArchive", 116},
                                                   {"MnuErrorLog", 117},
                                                   {"MnuHelp", 122},
                                                   {"MnuOnlineHelp", 123},
                                                   {"MnuAbout", 124}};
    for (const auto& [name, id] : actions) {
      QCOMPARE(child<QAction>(form, name)->text(), QString::fromStdString(qvr::LoadResString(id)));
    }
    QCOMPARE(child<QMenu>(form, "FileMenu")->title(), text("ファイル(&F)"));
    QCOMPARE(child<QMenu>(form, "ToolMenu")->title(), text("ツール(&T)"));
    QCOMPARE(child<QMenu>(form, "OptionMenu")->title(), text("オプション(&O)"));
    QCOMPARE(child<QMenu>(form, "HelpMenu")->title(), text("ヘルプ(&H)"));
    QCOMPARE(child<QAction>(form, "MnuAbout")->text(), text("ﾊﾞｰｼﾞｮﾝ情報(&A)"));
    QCOMPARE(child<QPushButton>(form, "Btn_Option")->text(), text("設定(&O)"));
    QCOMPARE(child<QPushButton>(form, "Btn_Close")->text(), text("終了(&X)"));
    // The English table stands beside the Japanese one, 100 ids further.
    QCOMPARE(QString::fromStdString(qvr::LoadResString(201)), text("&File"));
    QCOMPARE(QString::fromStdString(qvr::LoadResString(224)), text("Version(&A)"));
    QCOMPARE(QString::fromStdString(qvr::LoadResString(241)), text("Archive(&S)"));
    QCOMPARE(QString::fromStdString(qvr::LoadResString(110)), QString());
  }

  void controlsOfTheWindow() {
    Form1 form;
    auto* target = child<QComboBox>(form, "cmbTargetPlace");
    QCOMPARE(target->count(), 4);
    QCOMPARE(target->itemText(3), text("デスクトップ"));
    QCOMPARE(child<QComboBox>(form, "cmbArcMethod")->itemText(1), text("一括"));
    auto* type = child<QComboBox>(form, "cmbArcType");
    QCOMPARE(type->count(), 13);
    QCOMPARE(type->itemText(12), text("PQA"));
    QCOMPARE(child<qvr::FileListBox>(form, "List1")->selectionMode(),
             QAbstractItemView::ExtendedSelection);
    for (int i = 1; i <= 5; ++i) QVERIFY(form.findChild<QLabel*>(QString("Panel%1").arg(i)));
  }

  void modeChange() {
    Form1 form;
    auto* start = child<QPushButton>(form, "Btn_Start");
    form.ModeChange(qvr::WorkMode::Extract);
    QCOMPARE(start->text(), text("解凍(&S)"));
    QVERIFY(!child<QComboBox>(form, "cmbArcMethod")->isEnabled());
    QVERIFY(!child<QComboBox>(form, "cmbArcType")->isEnabled());
    QVERIFY(child<QAction>(form, "MnuModeExtract")->isChecked());
    QVERIFY(!child<QAction>(form, "MnuModeArchive")->isChecked());
    child<QAction>(form, "MnuModeArchive")->trigger();
    QCOMPARE(form.workMode(), qvr::WorkMode::Archive);
    QCOMPARE(start->text(), text("圧縮(&S)"));
    QVERIFY(child<QComboBox>(form, "cmbArcType")->isEnabled());
    QVERIFY(!child<QAction>(form, "MnuModeExtract")->isChecked());
    QVERIFY(child<QAction>(form, "MnuModeArchive")->isChecked());
  }

  void loadRestoresTheWindow() {
    WriteFile(app->file("QvrArc.ini"),
              "[EXTRACT_NORMAL]\r\nTargetPlace=デスクトップ\r\n[ARCHIVE_NORMAL]\r\n"
              "ArchiveMethod=一括\r\nArchiveType=NOPE\r\n[GENERAL]\r\nFONTSIZE=1\r\n"
              "Left=1500\r\nTop=3000\r\nQvrStartUpMode=Extract\r\n");
    Form1 form;
    form.Load({qvr::kModeNormal, ""});
    QCOMPARE(child<QComboBox>(form, "cmbTargetPlace")->currentText(), text("デスクトップ"));
    QCOMPARE(child<QComboBox>(form, "cmbArcMethod")->currentText(), text("一括"));
    // A stored text no longer offered selects the first entry.
    QCOMPARE(child<QComboBox>(form, "cmbArcType")->currentText(), text("LZH"));
    QCOMPARE(form.statusBar()->height(), std::max(qRound(240 / form.TwipsPerPixelY()),
                                                  form.statusBar()->fontMetrics().height() + 4));
    QCOMPARE(form.pos(),
             QPoint(qRound(1500 / form.TwipsPerPixelX()), qRound(3000 / form.TwipsPerPixelY())));
    QCOMPARE(form.workMode(), qvr::WorkMode::Extract);
    QVERIFY(std::filesystem::is_directory(app->file("tmp")));
  }

  void loadDefaultsWithoutSettings() {
    Form1 form;
    form.Load({qvr::kModeNormal, ""});
    QCOMPARE(child<QComboBox>(form, "cmbTargetPlace")->currentIndex(), 0);
    QCOMPARE(child<QComboBox>(form, "cmbArcType")->currentIndex(), 0);
    QCOMPARE(form.statusBar()->height(), form.StatusBarHeight(300));
    QCOMPARE(form.StatusBarHeight(300), qRound(300 / form.TwipsPerPixelY()));
    // An empty list starts in archive mode.
    QCOMPARE(form.workMode(), qvr::WorkMode::Archive);
    QCOMPARE(form.startUpMode(), std::string("NORMAL"));
  }

  void anUnknownStoredModeIsDecidedByTheList() {
    WriteFile(app->file("QvrArc.ini"), "[GENERAL]\r\nQvrStartUpMode=Other\r\n");
    Form1 form;
    form.Load({qvr::kModeNormal, ""});
    QCOMPARE(form.workMode(), qvr::WorkMode::Archive);
    QVERIFY(child<QAction>(form, "MnuModeArchive")->isChecked());
    QVERIFY(!child<QAction>(form, "MnuModeExtract")->isChecked());
  }

  void loadAddsTheCommandLineFilesButNoMissingOnes() {
    WriteFile(app->file("in/a b.lzh"), "x");
    Form1 form;
    std::string part = "\"" + app->file("in/a b.lzh") + "\" " + app->file("in/missing.lzh");
    form.Load({qvr::kModeNormal, part});
    QCOMPARE(form.listCount(), 1);
    QCOMPARE(form.listItem(0), app->file("in/a b.lzh"));
    QCOMPARE(form.panelText(1), std::string("1ファイル登録済み(1追加)"));
  }

  // A drag-and-drop start extracts at load, before any window is shown, and ends.
  void ddmodeRunsAtLoadAndEnds() {
    std::string zip = copyFixture("zip_deflate.zip");
    WriteFile(app->file("QvrArc.ini"),
              "[GENERAL]\r\nQvrStartUpMode=Archive\r\nEndNotice=1\r\nOpenFolder=0\r\n"
              "[DDMODE]\r\nExtractMode=2\r\nTargetPath=" +
                  app->file("out") + "\r\n");
    Form1 form;
    form.Load({qvr::kModeDDMode, zip});
    if (!form.libraryStatus().UNZIP32) QSKIP("unzip32.so is not built");
    QVERIFY(form.endRequested());
    QVERIFY(!form.isVisible());
    QCOMPARE(form.listCount(), 0);
    QCOMPARE(ReadFile(app->file("out/zip_deflate/readme.txt")).empty(), false);
    QVERIFY(std::filesystem::exists(zip));
  }

  // A run that ends at a dialog gives no notice and leaves the window open.
  void ddmodeRunEndedAtADialogStaysOpen() {
    std::string zip = copyFixture("zip_deflate.zip");
    WriteFile(app->file("QvrArc.ini"), "[DDMODE]\r\nExtractMode=2\r\nTargetPath=\r\n");
    Form1 form;
    QString seen;
    closeNextModal(&seen);
    form.Load({qvr::kModeDDMode, zip});
    QCOMPARE(seen, text("解凍先のフォルダが設定されていません。"));
    QVERIFY(!form.endRequested());
    QCOMPARE(form.workMode(), qvr::WorkMode::Extract);
    QCOMPARE(form.listCount(), 1);
    QCOMPARE(form.panelText(1), std::string("解凍は中止しました。"));
  }

  void statusBarPicturesShowAndSwitchTheOptions() {
    WriteFile(app->file("QvrArc.ini"),
              "[EXTRACT_NORMAL]\r\nFileNameFolder=0\r\n[GENERAL]\r\nDirectory=0\r\n");
    Form1 form;
    form.Load({qvr::kModeNormal, ""});
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* folderPicture = child<QLabel>(form, "Panel4");
    auto* dirPicture = child<QLabel>(form, "Panel5");
    QCOMPARE(folderPicture->toolTip(), text("自動モード"));
    QVERIFY(folderPicture->pixmap().isNull());
    QCOMPARE(dirPicture->toolTip(), text("書庫ファイル内のディレクトリを有効にする"));
    QVERIFY(!dirPicture->pixmap().isNull());

    // 700 twips left of the window's right edge lies the folder-per-archive picture.
    QStatusBar* bar = form.statusBar();
    QRect frame = form.frameGeometry();
    int x = frame.x() + frame.width() - qRound(700 * form.logicalDpiX() / 1440.0);
    QPoint at = bar->mapFromGlobal(QPoint(x, bar->mapToGlobal(bar->rect().center()).y()));
    QTest::mouseClick(bar, Qt::LeftButton, {}, at);
    QCOMPARE(ini("EXTRACT_NORMAL", "FileNameFolder"), std::string("1"));
    QCOMPARE(folderPicture->toolTip(), text("ファイル名でフォルダを作成する"));
    QVERIFY(!folderPicture->pixmap().isNull());

    // Each picture is drawn inside its own click zone.
    QTest::mouseClick(folderPicture, Qt::LeftButton, {}, folderPicture->rect().center());
    QCOMPARE(ini("EXTRACT_NORMAL", "FileNameFolder"), std::string("2"));
    QCOMPARE(folderPicture->toolTip(), text("ファイル名でフォルダを作成しない"));
    QTest::mouseClick(folderPicture, Qt::LeftButton, {}, folderPicture->rect().center());
    QCOMPARE(ini("EXTRACT_NORMAL", "FileNameFolder"), std::string("0"));
    QTest::mouseClick(dirPicture, Qt::LeftButton, {}, dirPicture->rect().center());
    QCOMPARE(ini("GENERAL", "Directory"), std::string("1"));
    QCOMPARE(dirPicture->toolTip(), text("書庫ファイル内のディレクトリを無視する"));

    // The message panel switches nothing.
    auto* messages = child<QLabel>(form, "Panel1");
    QTest::mouseClick(messages, Qt::LeftButton, {}, messages->rect().center());
    QCOMPARE(ini("EXTRACT_NORMAL", "FileNameFolder"), std::string("0"));
    QCOMPARE(ini("GENERAL", "Directory"), std::string("1"));
  }

  // While a library works (here: it waits for the overwrite answer), the window repaints,
  // Timer1 ticks, a drop is taken and kept for the next run, nothing new can be started,
  // and closing the window waits for the end of the run.
  void runKeepsTheWindowAnswering() {
    std::string zip = copyFixture("zip_deflate.zip");
    std::string second = copyFixture("two_root_files.zip");
    WriteFile(app->file("out/readme.txt"), "old");
    WriteFile(app->file("QvrArc.ini"),
              "[GENERAL]\r\nPreScan=1\r\nEndNotice=1\r\nOpenFolder=0\r\nAlwaysPath=" +
                  app->file("out") + "\r\n[EXTRACT_NORMAL]\r\nOverWrite=1\r\nFileNameFolder=2\r\n");
    Form1 form;
    form.Load({qvr::kModeNormal, zip});
    if (!form.libraryStatus().UNZIP32) QSKIP("unzip32.so is not built");
    form.show();
    child<QComboBox>(form, "cmbTargetPlace")->setCurrentIndex(2);
    QCOMPARE(form.workMode(), qvr::WorkMode::Extract);

    bool sawRun = false, startOff = true, ticked = false;
    onNextModal([&](QMessageBox* box) {
      sawRun = form.running();
      // During a run the start button stops it, and nothing starts a second run.
      startOff = child<QPushButton>(form, "Btn_Start")->text() == QString::fromUtf8("中止(&S)") &&
                 !child<QPushButton>(form, "Btn_Test")->isEnabled() &&
                 !child<QAction>(form, "MnuStart")->isEnabled();
      dropOnList(form, second);
      form.close();
      ticked = QTest::qWaitFor([&] { return form.panelText(2) != "00:00:00"; }, 10000);
      box->button(QMessageBox::NoToAll)->click();
    });
    form.Start();

    QVERIFY(sawRun);
    QVERIFY(startOff);
    QVERIFY(ticked);
    QCOMPARE(ReadFile(app->file("out/readme.txt")), std::string("old"));
    // The run took its own entry away; the dropped one waits for the next run.
    QCOMPARE(form.listCount(), 1);
    QCOMPARE(form.listItem(0), second);
    QVERIFY(!form.running());
    QVERIFY(!form.isVisible());
    QCOMPARE(ini("EXTRACT_NORMAL", "TargetPlace"), std::string("いつものところ"));
  }

  // Files handed over while a drag-and-drop run works get a run of their own before the
  // program ends.
  void ddmodeRunsWhatArrivedDuringItsRun() {
    std::string zip = copyFixture("zip_deflate.zip");
    std::string second = copyFixture("two_root_files.zip");
    WriteFile(app->file("out/zip_deflate/readme.txt"), "old");
    WriteFile(app->file("QvrArc.ini"),
              "[GENERAL]\r\nEndNotice=1\r\nOpenFolder=0\r\nPreScan=1\r\n"
              "[DDMODE]\r\nOverWrite=1\r\nExtractMode=2\r\nTargetPath=" +
                  app->file("out") + "\r\n");
    Form1 form;
    bool asked = false;
    onNextModal([&](QMessageBox* box) {
      asked = true;
      dropOnList(form, second);
      box->button(QMessageBox::NoToAll)->click();
    });
    form.Load({qvr::kModeDDMode, zip});
    if (!form.libraryStatus().UNZIP32) QSKIP("unzip32.so is not built");
    QVERIFY(asked);
    QVERIFY(form.endRequested());
    QCOMPARE(form.listCount(), 0);
    QCOMPARE(ReadFile(app->file("out/zip_deflate/readme.txt")), std::string("old"));
    QCOMPARE(ReadFile(app->file("out/two_root_files/first.txt")).empty(), false);
  }

  // The bar under the list shows the run: it fills once to its end and is hidden after the
  // run; in the next run Btn_Start ("中止(&S)") stops it inside the big entry, which leaves
  // no part of that entry and keeps the archive in the list.
  void theBarFillsOnceAndTheStartButtonStopsTheRun() {
    std::string medium = bigZip("medium.zip", 160);
    std::string small = copyFixture("zip_deflate.zip");
    WriteFile(app->file("QvrArc.ini"),
              "[GENERAL]\r\nEndNotice=1\r\nOpenFolder=0\r\nAlwaysPath=" + app->file("out") +
                  "\r\n[EXTRACT_NORMAL]\r\nFileNameFolder=1\r\n");
    Form1 form;
    form.Load({qvr::kModeNormal, medium + " " + small});
    if (!form.libraryStatus().UNZIP32) QSKIP("unzip32.so is not built");
    form.show();
    child<QComboBox>(form, "cmbTargetPlace")->setCurrentIndex(2);
    auto* bar = child<QProgressBar>(form, "ProgressBar1");
    QVERIFY(!bar->isVisible());
    std::vector<int> values;
    bool shownDuringRun = false;
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int v) {
      values.push_back(v);
      shownDuringRun = shownDuringRun || bar->isVisible();
    });
    form.Start();
    QVERIFY(shownDuringRun);
    QVERIFY(!bar->isVisible());
    QVERIFY(std::is_sorted(values.begin(), values.end()));
    QCOMPARE(std::count(values.begin(), values.end(), bar->maximum()), 1L);
    QCOMPARE(values.back(), bar->maximum());
    QCOMPARE(form.listCount(), 0);

    // One archive at a time, so that the small one is still waiting when the stop comes.
    WriteFile(app->file("QvrArc.ini"),
              "[GENERAL]\r\nEndNotice=1\r\nOpenFolder=0\r\nThreads=1\r\nAlwaysPath=" +
                  app->file("out") + "\r\n[EXTRACT_NORMAL]\r\nFileNameFolder=1\r\n");
    std::string big = bigZip("big.zip", 512);
    form.listAdd(big);
    form.listAdd(small);
    QTimer stopper;
    clickWhenBig(stopper, child<QLabel>(form, "lblProgress"),
                 child<QPushButton>(form, "Btn_Start"));
    form.Start();
    stopper.stop();
    QVERIFY(!form.running());
    QVERIFY(!std::filesystem::exists(app->file("out/big/big.bin")));
    QCOMPARE(std::distance(std::filesystem::directory_iterator(app->file("out/big")),
                           std::filesystem::directory_iterator()),
             1L);  // a.txt, nothing of big.bin
    QCOMPARE(form.listCount(), 2);
    QCOMPARE(form.listItem(0), big);
    QCOMPARE(form.panelText(1), std::string("中止しました。（0個のファイルを解凍済み）"));
    QCOMPARE(child<QPushButton>(form, "Btn_Start")->text(), text("解凍(&S)"));
  }

  // A drag-and-drop start shows a small window with the bar and "中止"; stopping there ends
  // the program with exit status 2 and leaves no part of the entry.
  void ddmodeWindowStopsTheRunWithStatusTwo() {
    std::string big = bigZip("big.zip", 512);
    WriteFile(app->file("QvrArc.ini"),
              "[GENERAL]\r\nEndNotice=0\r\nOpenFolder=0\r\n[DDMODE]\r\nExtractMode=2\r\n"
              "TargetPath=" +
                  app->file("out") + "\r\n[EXTRACT_DDMODE]\r\nFileNameFolder=1\r\n");
    Form1 form;
    QTimer stopper;
    bool windowShown = false;
    QObject::connect(&stopper, &QTimer::timeout, [&] {
      qvr::frmProgress* window = form.ddModeProgress();
      if (!window || !window->isVisible()) return;
      windowShown = true;
      if (window->view()->itemLabel()->text().contains("big.bin"))
        window->view()->cancelButton()->click();
    });
    stopper.start(2);
    form.Load({qvr::kModeDDMode, big});
    stopper.stop();
    if (!form.libraryStatus().UNZIP32) QSKIP("unzip32.so is not built");
    QVERIFY(windowShown);
    QVERIFY(form.endRequested());
    QCOMPARE(form.exitStatus(), 2);
    QVERIFY(!form.ddModeProgress()->isVisible());
    QVERIFY(!std::filesystem::exists(app->file("out/big/big.bin")));
    QVERIFY(std::filesystem::exists(big));
  }

  // The end box of a run with a failure offers "詳細(&D)"; the report window has a row per
  // archive naming what became of it, and copies its rows as text.
  void theEndBoxOpensTheReport() {
    std::string good = copyFixture("zip_deflate.zip");
    std::string bad = copyFixture("truncated.zip");
    WriteFile(app->file("QvrArc.ini"),
              "[GENERAL]\r\nEndNotice=0\r\nOpenFolder=0\r\nPreScan=1\r\nErrorSkip=1\r\n"
              "AlwaysPath=" +
                  app->file("out") + "\r\n[EXTRACT_NORMAL]\r\nFileNameFolder=1\r\n");
    Form1 form;
    form.Load({qvr::kModeNormal, good + " " + bad});
    if (!form.libraryStatus().UNZIP32) QSKIP("unzip32.so is not built");
    child<QComboBox>(form, "cmbTargetPlace")->setCurrentIndex(2);
    QString endText;
    QStringList rows;
    QString copied;
    onNextModal([&](QMessageBox* box) {
      endText = box->text();
      QAbstractButton* details = nullptr;
      for (QAbstractButton* b : box->buttons())
        if (b->text() == text("詳細(&D)")) details = b;
      QVERIFY(details);
      QTimer::singleShot(50, [&] {
        auto* report = qobject_cast<qvr::frmReport*>(QApplication::activeModalWidget());
        QVERIFY(report);
        for (int i = 0; i < report->rows()->topLevelItemCount(); ++i) {
          QTreeWidgetItem* item = report->rows()->topLevelItem(i);
          rows << item->text(0) + "|" + item->text(1);
        }
        report->findChild<QPushButton*>("Btn_Copy")->click();
        copied = QApplication::clipboard()->text();
        report->reject();
      });
      details->click();
    });
    form.Start();
    QCOMPARE(endText, text("1個のファイルを解凍完了！（1個失敗）"));
    QCOMPARE(rows, QStringList({text("zip_deflate.zip|解凍しました"), text("truncated.zip|失敗")}));
    QVERIFY(copied.contains(QString::fromStdString(bad) + text("\t失敗\t")));
  }

  // "検査(&T)" tests the list's archives: nothing is written, the list stays, the report
  // window shows each archive's outcome.
  void theTestButtonShowsTheReportAndKeepsTheList() {
    std::string good = copyFixture("zip_deflate.zip");
    std::string bad = copyFixture("truncated.zip");
    WriteFile(app->file("QvrArc.ini"), "[GENERAL]\r\nEndNotice=0\r\n");
    Form1 form;
    form.Load({qvr::kModeNormal, good + " " + bad});
    if (!form.libraryStatus().UNZIP32) QSKIP("unzip32.so is not built");
    auto* button = child<QPushButton>(form, "Btn_Test");
    QCOMPARE(button->text(), text("検査(&T)"));
    QCOMPARE(child<QAction>(form, "MnuTest")->text(), text("検査(&T)"));
    QStringList rows;
    QTimer reader;
    QObject::connect(&reader, &QTimer::timeout, [&] {
      auto* report = qobject_cast<qvr::frmReport*>(QApplication::activeModalWidget());
      if (!report) return;
      for (int i = 0; i < report->rows()->topLevelItemCount(); ++i)
        rows << report->rows()->topLevelItem(i)->text(1);
      report->reject();
    });
    reader.start(10);
    button->click();
    reader.stop();
    QCOMPARE(rows, QStringList({text("正常です"), text("失敗")}));
    QCOMPARE(form.listCount(), 2);
    QCOMPARE(form.panelText(1), std::string("2個の書庫を検査しました（1個異常）"));
    QCOMPARE(std::distance(std::filesystem::directory_iterator(app->file("in")),
                           std::filesystem::directory_iterator()),
             2L);
  }

  void ddmodeSettingShowsOnlyTheOptionsAndEndsWithThem() {
    Form1 form;
    form.Load({qvr::kModeDDModeSetting, ""});
    auto* option = form.findChild<QDialog*>("frmOption");
    QVERIFY(option);
    QVERIFY(option->isVisible());
    QVERIFY(!option->isModal());
    QCOMPARE(option->windowTitle(), text("Option"));
    QVERIFY(!form.isVisible());
    option->close();
    QCoreApplication::processEvents();
    // Closing the dialog unloaded the main window: its choices are saved.
    QCOMPARE(ini("EXTRACT_NORMAL", "TargetPlace"), std::string("書庫のある場所"));
  }

  void unloadSavesChoicesAndEmptiesTmpWithoutLeavingIt() {
    WriteFile(app->file("outside/keep.txt"), "keep");
    Form1 form;
    form.Load({qvr::kModeNormal, ""});
    child<QComboBox>(form, "cmbArcMethod")->setCurrentIndex(1);
    child<QComboBox>(form, "cmbArcType")->setCurrentText("7Z");
    form.move(100, 50);
    WriteFile(app->file("tmp/a.txt"), "x");
    WriteFile(app->file("tmp/.hidden"), "x");
    WriteFile(app->file("tmp/sub/deep/b.txt"), "x");
    std::filesystem::permissions(app->file("tmp/sub/deep"), std::filesystem::perms::owner_read |
                                                                std::filesystem::perms::owner_exec);
    std::filesystem::permissions(app->file("tmp/a.txt"), std::filesystem::perms::owner_read);
    std::filesystem::create_directory_symlink(app->file("outside"), app->file("tmp/link"));
    form.close();
    QCOMPARE(ini("ARCHIVE_NORMAL", "ArchiveMethod"), std::string("一括"));
    QCOMPARE(ini("ARCHIVE_NORMAL", "ArchiveType"), std::string("7Z"));
    QCOMPARE(ini("EXTRACT_NORMAL", "TargetPlace"), std::string("書庫のある場所"));
    QCOMPARE(ini("GENERAL", "Left"), std::to_string(qRound(100 * form.TwipsPerPixelX())));
    QCOMPARE(ini("GENERAL", "Top"), std::to_string(qRound(50 * form.TwipsPerPixelY())));
    QVERIFY(std::filesystem::is_directory(app->file("tmp")));
    QVERIFY(std::filesystem::is_empty(app->file("tmp")));
    QCOMPARE(ReadFile(app->file("outside/keep.txt")), std::string("keep"));
  }

  void tmpThatIsALinkIsNotFollowed() {
    WriteFile(app->file("elsewhere/keep.txt"), "keep");
    std::filesystem::create_directory_symlink(app->file("elsewhere"), app->file("tmp"));
    Form1 form;
    form.Load({qvr::kModeNormal, ""});
    form.Unload();
    QCOMPARE(ReadFile(app->file("elsewhere/keep.txt")), std::string("keep"));
  }

  void minimisedWindowKeepsTheSavedPlace() {
    WriteFile(app->file("QvrArc.ini"), "[GENERAL]\r\nLeft=1234\r\nTop=567\r\n");
    Form1 form;
    form.Load({qvr::kModeNormal, ""});
    form.showMinimized();
    QVERIFY(form.isMinimized());
    form.move(300, 300);
    form.close();
    QCOMPARE(ini("GENERAL", "Left"), std::string("1234"));
    QCOMPARE(ini("GENERAL", "Top"), std::string("567"));
  }

  void droppingFilesAndFolders() {
    WriteFile(app->file("drop/a.txt"), "");
    WriteFile(app->file("drop/sub/b.txt"), "");
    WriteFile(app->file("original.lst"), "x\r\n");
    Form1 form;
    form.Load({qvr::kModeNormal, ""});
    form.ModeChange(qvr::WorkMode::Extract);
    auto* list = child<qvr::FileListBox>(form, "List1");
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(app->file("drop"))),
                  QUrl::fromLocalFile(QString::fromStdString(app->file("drop/a.txt")))});
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    form.show();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QVERIFY(QApplication::sendEvent(list->viewport(), &drop));
    QCOMPARE(form.listCount(), 3);
    QCOMPARE(form.listItem(2), app->file("drop/a.txt"));
    QCOMPARE(form.panelText(1), std::string("3ファイル登録済み(3追加)"));
    QVERIFY(!std::filesystem::exists(app->file("original.lst")));
    // The work mode is decided again: plain text files are no archives.
    QCOMPARE(form.workMode(), qvr::WorkMode::Archive);
    QVERIFY(list->isVisible() || !form.isVisible());
  }

  void listKeysAndTheRightButton() {
    Form1 form;
    form.show();
    for (const char* p : {"/a", "/b", "/c", "/d"}) form.listAdd(p);
    auto* list = child<qvr::FileListBox>(form, "List1");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(list->selectionModel()->selectedRows().size(), 4);
    QVERIFY(list->isVisible());
    list->clearSelection();
    select(list, 1);
    select(list, 3);
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(form.listCount(), 2);
    QCOMPARE(form.listItem(1), std::string("/c"));
    QCOMPARE(form.panelText(1), std::string("2ファイル登録済み(2消去)"));
    // The right button keeps the selection on press and removes it on release.
    select(list, 0);
    QRect rect = list->visualRect(list->model()->index(1, 0));
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, rect.center());
    QCOMPARE(form.listCount(), 1);
    QCOMPARE(form.listItem(0), std::string("/c"));
    QString seen;
    closeNextModal(&seen);
    QTest::keyClick(list, Qt::Key_0, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(seen, text("ｷﾀ━━━━━━(ﾟ∀ﾟ)━━━━━━!!"));
    QTest::keyClick(list, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!form.isVisible());
  }

  void doubleClickOnAnEntryThatIsNoArchiveEmptiesTheFacts() {
    Form1 form;
    form.listAdd("/x/readme.txt");
    form.setPanelText(2, "9個");
    form.setPanelText(3, "1Bytes");
    child<qvr::FileListBox>(form, "List1")->setCurrentRow(0);
    form.List1_DblClick();
    QCOMPARE(form.panelText(2), std::string());
    QCOMPARE(form.panelText(3), std::string());
  }

  void doubleClickAndDropUseTheFormatTable() {
    std::string zip = app->file("in/zip_deflate.zip");
    std::filesystem::create_directories(app->file("in"));
    std::filesystem::copy_file(std::string(QVR_FIXTURES_DIR) + "/zip_deflate.zip", zip);
    Form1 form;
    form.Load({qvr::kModeNormal, ""});
    if (!form.libraryStatus().UNZIP32) QSKIP("unzip32.so is not built");
    form.show();
    auto* list = child<qvr::FileListBox>(form, "List1");
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(zip))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &drop);
    QCOMPARE(form.workMode(), qvr::WorkMode::Extract);
    list->setCurrentRow(0);
    form.List1_DblClick();
    QVERIFY(QString::fromStdString(form.panelText(2)).endsWith(text("個")));
    QCOMPARE(form.panelText(3), std::string("83,242Bytes"));
    QVERIFY(QString::fromStdString(form.panelText(1)).endsWith(text("書庫")));
    QVERIFY(form.panelText(1).size() > std::string("書庫").size());
  }

  // The viewer's delete question is Yes / No with No on Return: a stray Return deletes
  // nothing; Yes deletes the entry and the viewer lists the archive anew.
  void viewerDeleteQuestionTakesNoOnReturn() {
    std::string zip = copyFixture("zip_deflate.zip");
    Form1 form;
    form.Load({qvr::kModeNormal, zip});
    if (!form.libraryStatus().UNZIP32 || !form.libraryStatus().SEVENZIP32)
      QSKIP("unzip32.so and 7-zip32.so are not built");
    form.show();
    child<qvr::FileListBox>(form, "List1")->setCurrentRow(0);
    form.List1_DblClick();
    auto* viewer = form.findChild<qvr::frmListViewer*>();
    QVERIFY(viewer);
    QTreeView* list = viewer->list();
    auto hasReadme = [&] {
      for (int r = 0; r < viewer->model().rowCount(); ++r)
        if (viewer->model().FileName(r) == "readme.txt") return true;
      return false;
    };
    auto selectReadme = [&] {
      auto* proxy = static_cast<qvr::ViewerSortModel*>(list->model());
      for (int r = 0; r < proxy->rowCount(); ++r)
        if (viewer->model().FileName(proxy->SourceRow(r)) == "readme.txt")
          list->setCurrentIndex(proxy->index(r, 0));
      list->setFocus();
    };
    QVERIFY(hasReadme());
    QVERIFY(QTest::qWaitForWindowActive(viewer));  // the Delete key is the viewer's shortcut
    selectReadme();
    std::string before = ReadFile(zip);

    QString seen;
    bool noIsDefault = false;
    onNextModal([&](QMessageBox* box) {
      seen = box->text();
      noIsDefault = box->defaultButton() == box->button(QMessageBox::No);
      QTest::keyClick(box, Qt::Key_Return);
    });
    QTest::keyClick(list, Qt::Key_Delete);
    QTRY_VERIFY(!seen.isEmpty());
    QVERIFY(seen.startsWith("readme.txt"));
    QVERIFY(noIsDefault);
    QCOMPARE(ReadFile(zip), before);
    QVERIFY(hasReadme());

    bool answered = false;
    onNextModal([&](QMessageBox* box) {
      answered = true;
      box->button(QMessageBox::Yes)->click();
    });
    viewer->mnuDelete->trigger();
    QTRY_VERIFY(answered);
    QTRY_VERIFY(!hasReadme());
    QVERIFY(viewer->model().rowCount() > 0);
  }

  void entriesKeepBytesThatAreNoUtf8() {
    Form1 form;
    std::string raw = "/x/\xff\xfe\x80name.lzh";
    form.listAdd(raw);
    form.listAdd("/x/日本.lzh");
    QCOMPARE(form.listItem(0), raw);
    QCOMPARE(form.listItem(1), std::string("/x/日本.lzh"));
  }

  void sortMenuUsesTheSetting() {
    WriteFile(app->file("QvrArc.ini"), "[GENERAL]\r\nSORT=2\r\n");
    Form1 form;
    for (const char* p : {"/b/z.lzh", "/a/y.lzh", "/c/x.lzh"}) form.listAdd(p);
    child<QAction>(form, "MnuSort")->trigger();
    QCOMPARE(form.listItem(0), std::string("/c/x.lzh"));
    QCOMPARE(form.listItem(2), std::string("/b/z.lzh"));
  }

  void showResultIsSwitchedOffForTheRunAndRestoredAtExit() {
    const char* key = "Software\\ArchiverDll\\UNZIP32\\Settings";
    // 1 comes back at exit; -1 (the library's own "unset") is never written back.
    for (int32_t stored : {1, -1}) {
      init();
      QVERIFY(qvr::RegWrite(qvr::RegRoot::CurrentUser, key, "ShowResult", qvr::kRegDword, stored));
      Form1 form;
      form.Load({qvr::kModeNormal, ""});
      if (!form.libraryStatus().UNZIP32) QSKIP("unzip32.so is not built");
      auto read = [&] {
        return std::get<int32_t>(qvr::RegRead(qvr::RegRoot::CurrentUser, key, "ShowResult",
                                              qvr::kRegDword, int32_t(99)));
      };
      QCOMPARE(read(), 0);
      form.close();
      QCOMPARE(read(), stored == -1 ? 0 : stored);
    }
  }

  void libraryInstallerRunsWithTheWindowDisabled() {
    WriteFile(app->file("caldix"), "#!/bin/sh\necho ran > \"$(dirname \"$0\")/ran.txt\"\n");
    std::filesystem::permissions(app->file("caldix"), std::filesystem::perms::owner_all);
    Form1 form;
    child<QAction>(form, "MnuDLLDown")->trigger();
    QCOMPARE(ReadFile(app->file("ran.txt")), std::string("ran\n"));
    QVERIFY(form.isEnabled());
  }

  void aboutBoxOpensModal() {
    Form1 form;
    QString title;
    QTimer::singleShot(50, [&title] {
      if (QWidget* box = QApplication::activeModalWidget()) {
        title = box->objectName();
        box->close();
      }
    });
    child<QAction>(form, "MnuAbout")->trigger();
    QCOMPARE(title, QString("frmAbout"));
  }

  void elapsedTimeTicksPanelTwo() {
    Form1 form;
    form.startTimer1();
    QTRY_VERIFY_WITH_TIMEOUT(form.panelText(2) == "00:00:01", 3000);
    form.stopTimer1();
  }
};

QTEST_MAIN(TestForm1)
#include "test_Form1.moc"
