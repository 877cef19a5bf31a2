// The viewer window on a zip of 100,000 entries (offscreen, our unzip32), with the listing on
// a worker while the window goes on handling events, as the main window runs it: the time
// until the first rows are painted and the window answers, the whole listing against
// `bsdtar -tvf` on the same file, a header sort of all rows, and the memory above the empty
// window. Every figure is the median of five runs.
// Run on demand: bench_viewer [folder]
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "AppFolder.h"
#include "ArchiverDLL.h"
#include "BenchZip.h"
#include "QuietWindow.h"
#include "frmListViewer.h"

using namespace qvr;
using namespace qvr::bench;

namespace {

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct Medians {
  double wall, cpu;
};
Medians MedianOfFive(const std::function<void()>& work) {
  std::vector<double> wall, cpu;
  for (int run = 0; run < 5; ++run) {
    double cpuStart = CpuSeconds();
    QElapsedTimer timer;
    timer.start();
    work();
    wall.push_back(timer.nsecsElapsed() / 1e9);
    cpu.push_back(CpuSeconds() - cpuStart);
  }
  return {Median(wall), Median(cpu)};
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  std::string folder = argc > 1 ? argv[1] : std::filesystem::temp_directory_path() / "qvr-bench";
  std::filesystem::create_directories(folder);
  std::string zip = folder + "/entries100k.zip";
  if (!std::filesystem::exists(zip) && !MakeZip(zip)) return 1;
  SetAppFolder(folder + "/");
  SetSearchExecutableFolder(std::string(QVR_BIN_DIR) + "/");

  LibraryStatus status;
  status.UNZIP32 = true;
  ArchiverDLL_Inspect inspect(status, nullptr);
  QuietWindow window;  // the listing on a worker while this thread handles events
  bool docked = false;
  frmListViewer viewer(ViewerHost{window, status, inspect, nullptr, &docked, {}});
  viewer.show();
  app.processEvents();
  QAbstractItemModel* rows = viewer.list()->model();

  std::string command = "bsdtar -tvf '" + zip + "' > /dev/null";
  Medians bsdtar = MedianOfFive([&] {
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "bsdtar failed\n");
  });

  std::ofstream("/proc/self/clear_refs") << "5";
  long before = StatusKiB("VmRSS:");
  // First rows: from the open until the view has painted the first part and an event queued
  // after it is answered, while the rest is still being listed.
  std::vector<double> firstRows, whole;
  std::vector<int> rowsThen;
  for (int run = 0; run < 5; ++run) {
    QElapsedTimer timer;
    bool seen = false;
    auto connection = QObject::connect(rows, &QAbstractItemModel::rowsInserted, [&] {
      if (seen) return;
      seen = true;
      viewer.list()->viewport()->repaint();
      QTimer::singleShot(0, [&] {
        firstRows.push_back(timer.nsecsElapsed() / 1e9);
        rowsThen.push_back(rows->rowCount());
      });
    });
    timer.start();
    viewer.ShowArchive(zip);
    whole.push_back(timer.nsecsElapsed() / 1e9);
    QObject::disconnect(connection);
    // What the main loop does between two opens: the last listing's model goes.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    app.processEvents();
  }
  long after = StatusKiB("VmRSS:");
  long peak = StatusKiB("VmHWM:");
  Medians listing = MedianOfFive([&] { viewer.ShowArchive(zip); });
  Medians sorting = MedianOfFive([&] { viewer.SortByColumn(kColOriginalSize); });
  Medians sortingNames = MedianOfFive([&] { viewer.SortByColumn(kColFileName); });

  std::printf("zip of %d entries: %s, %d rows\n", kEntries, zip.c_str(), rows->rowCount());
  std::printf("bsdtar -tvf            wall %.3f s  cpu %.3f s\n", bsdtar.wall, bsdtar.cpu);
  std::printf("open, first rows shown wall %.3f s (target < 0.3 s), %d rows listed by then\n",
              Median(firstRows), int(Median({rowsThen.begin(), rowsThen.end()})));
  std::printf("open, whole listing    wall %.3f s\n", Median(whole));
  std::printf("whole listing          wall %.3f s (%.2fx)  cpu %.3f s (%.2fx; target < 1.5x)\n",
              listing.wall, listing.wall / bsdtar.wall, listing.cpu, listing.cpu / bsdtar.cpu);
  std::printf("header sort, sizes     wall %.3f s (target < 0.2 s)\n", sorting.wall);
  std::printf("header sort, names     wall %.3f s (target < 0.2 s)\n", sortingNames.wall);
  std::printf("memory above the empty window: resident +%ld KiB, peak +%ld KiB (target < 30 MB)\n",
              after - before, peak - before);
  return 0;
}
