#include "MailKeyring.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>

#include "SendCompletionMail.h"

namespace qvr {
namespace {

const QString kService = QStringLiteral("QuiverArchiver");

KeyringAnswer AnswerOf(QKeychain::Error error) {
  switch (error) {
    case QKeychain::NoError:
      return KeyringAnswer::Done;
    case QKeychain::EntryNotFound:
      return KeyringAnswer::NotFound;
    default:
      return KeyringAnswer::NoKeyring;
  }
}

// Starts the job and waits for its end; a job may end inside start() already.
KeyringAnswer Finish(QKeychain::Job& job) {
  job.setAutoDelete(false);
  bool finished = false;
  QEventLoop loop;
  QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
    finished = true;
    loop.quit();
  });
  job.start();
  if (!finished) loop.exec();
  return AnswerOf(job.error());
}

}  // namespace

KeyringAnswer ReadKeyring(const std::string& key, std::string* value) {
  QKeychain::ReadPasswordJob job(kService);
  job.setKey(QString::fromStdString(key));
  KeyringAnswer answer = Finish(job);
  if (answer == KeyringAnswer::Done && value) *value = job.textData().toStdString();
  return answer;
}

KeyringAnswer WriteKeyring(const std::string& key, const std::string& value) {
  QKeychain::WritePasswordJob job(kService);
  job.setKey(QString::fromStdString(key));
  job.setTextData(QString::fromStdString(value));
  return Finish(job);
}

KeyringAnswer DeleteKeyring(const std::string& key) {
  QKeychain::DeletePasswordJob job(kService);
  job.setKey(QString::fromStdString(key));
  return Finish(job);
}

bool KeyringAnswers() {
  return ReadKeyring("SMTPPassword", nullptr) != KeyringAnswer::NoKeyring;
}

std::string LoadMailPassword(const std::string& key, const std::string& stored) {
  if (stored != kKeyringMark) return DecodePassword(stored);
  std::string password;
  return ReadKeyring(key, &password) == KeyringAnswer::Done ? password : "";
}

std::string StoreMailPassword(const std::string& key, const std::string& password) {
  if (!password.empty() && WriteKeyring(key, password) == KeyringAnswer::Done) return kKeyringMark;
  DeleteKeyring(key);
  return password.empty() ? "" : EncodePassword(password);
}

}  // namespace qvr
