// The completion mail at the end of a run (section E-Mail of QvrArc.ini) and the stored
// form of its two passwords.
#pragma once

#include <ctime>
#include <string>

#include "Completion.h"
#include "MailComponent.h"

namespace qvr {

class MainWindowPort;

// What one completion mail sends, read from the settings at the moment of the call: the
// mail component's arguments, or why nothing is sent.
struct CompletionMail {
  bool send = false;    // false: a silent case (no server, recipient, sender or POP data)
  std::string refusal;  // not empty: this text goes to status panel 1 and nothing is sent
  bool popBeforeSmtp = false;
  std::string popServer, popUser, popPassword;  // the password decoded
  std::string server;                           // "server:port:time-out"
  std::string to, from, subject, body;
  int timeoutSeconds = 120;
};

// mode: "Extract" for extraction, any other word for archiving; outcome: "SUCCESS" or
// "FAIL". now: the time written into the body; summary: the run's counts as its end shows
// them, a line of the body when given.
CompletionMail PrepareCompletionMail(const std::string& mode, const std::string& outcome,
                                     std::time_t now, const std::string& summary = "");

// Sends the completion mail when the settings ask for one (the POP login first when POP
// before SMTP is on). The exchange runs through the window's runResponsive, so the window
// goes on answering; it ends within the time-out. An error text of the component goes to
// status panel 1; nothing else is shown. options: the component's (tests trust their own
// certificate authority).
void SendCompletionMail(MainWindowPort& window, const std::string& mode, const std::string& outcome,
                        const MailComponent::Options& options = {},
                        const std::string& summary = "");

// The e-mail notice the window hands to a run: SendCompletionMail through that window.
class CompletionMailNotice : public MailNotice {
 public:
  explicit CompletionMailNotice(MainWindowPort& window) : window_(window) {}
  void Send(const std::string& result, WorkMode workMode, const std::string& summary) override {
    SendCompletionMail(window_, WorkModeWord(workMode), result, {}, summary);
  }

 private:
  MainWindowPort& window_;
};

// The stored form of a mail password and back: DecodePassword(EncodePassword(t)) == t
// for every text t, also after the value went through QvrArc.ini. See "Stored mail
// passwords" in docs/ARCHITECTURE.md for the rule.
std::string EncodePassword(const std::string& text);
std::string DecodePassword(const std::string& stored);

}  // namespace qvr
