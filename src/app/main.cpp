#include <langinfo.h>
#include <QApplication>
#include <clocale>
#include <cstring>

#include "AppFolder.h"
#include "CommandLine.h"
#include "Form1.h"
#include "HookMsg.h"
#include "MailComponent.h"
#include "Translations.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  qvr::LoadTranslations(app);
  // Paths, settings and library command lines are UTF-8 whatever the user's locale says.
  if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) std::setlocale(LC_CTYPE, "C.UTF-8");
  qvr::SetAppFolder(qvr::ResolveAppFolder(qvr::ExecutableFolder()));
  qvr::SetAppFileFolders(qvr::ExecutableFolder());
  // The library status learns from the notice room whether mail can be sent.
  qvr::SetMailComponentProbe(qvr::MailComponent::Available);

  // QApplication has taken its own options out of argv.
  std::string commandLine =
      qvr::JoinArguments(std::vector<std::string>(argv + 1, argv + argc), qvr::CurrentFolder());
  // A second start brings the running instance to the front, hands over its files and
  // ends without a window of its own.
  qvr::HookMsg hook;
  if (hook.handOffOrListen(qvr::ParseCommandLine(commandLine, true).filePart)) return 0;

  qvr::StartUp startUp = qvr::ParseCommandLine(commandLine, false);
  qvr::Form1 form;
  form.AttachHookMsg(hook);
  form.Load(startUp);
  if (form.endRequested()) return form.exitStatus();
  if (startUp.mode != qvr::kModeDDModeSetting) form.show();
  int code = app.exec();
  // A drag-and-drop start whose run was stopped by a dialog stays open; it still says so.
  return form.exitStatus() != 0 ? form.exitStatus() : code;
}
