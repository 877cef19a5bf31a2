// The about box: the program's version and every archiver library, tool and its version.
// A row whose component is not installed reads "Not Installed" and none of its entries is
// called.
#pragma once

#include <QDialog>
#include <QLabel>
#include <string>
#include <utility>
#include <vector>

class QPushButton;
class QTreeWidget;

namespace qvr {

struct LibraryStatus;

// The page lblURL opens.
inline constexpr const char* kAboutUrl = "https://quiverarchiver.example.org/";

// "Version " + major.minor.revision.
std::string AboutVersionText();
// GetVersion-style numbers: 280 -> "2.80"; KTY's subversion: 123 -> "1.2".
std::string VersionNumberText(unsigned version);
std::string KtyVersionText(unsigned subVersion);
// The 22 rows of LVDllList in order: name shown and version text.
std::vector<std::pair<std::string, std::string>> DllVersionRows(const LibraryStatus& status);

// A label that reports a click, as the link label of the box.
class ClickLabel : public QLabel {
  Q_OBJECT

 public:
  using QLabel::QLabel;

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

class frmAbout : public QDialog {
  Q_OBJECT

 public:
  explicit frmAbout(const LibraryStatus& status, QWidget* parent = nullptr);

  QLabel* lblTitle;
  QLabel* lblVersion;
  QTreeWidget* LVDllList;
  ClickLabel* lblURL;
  QPushButton* cmdOK;

 private:
  void FillList(const LibraryStatus& status);
};

}  // namespace qvr
