#include <langinfo.h>
#include <QApplication>
#include <clocale>
#include <cstring>

#include "AppFolder.h"
#include "Form1.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  // Paths, settings and library command lines are UTF-8 whatever the user's locale says.
  if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) std::setlocale(LC_CTYPE, "C.UTF-8");
  qvr::SetAppFolder(qvr::ResolveAppFolder(qvr::ExecutableFolder()));

  qvr::Form1 form;
  form.show();
  return app.exec();
}
