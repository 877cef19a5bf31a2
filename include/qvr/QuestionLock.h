// The lock that shows the questions of worker threads one at a time: a box asked for by a
// second worker waits until the first one's box is closed instead of opening above it. The
// program and each library it loads hold their own copy of this code, so the lock itself
// lives with the application object (and goes with it); the program makes it on the window's
// thread before any worker starts.
#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QThread>
#include <QVariant>
#include <mutex>

namespace qvr {

struct QuestionLockHolder : QObject {
  using QObject::QObject;
  std::mutex lock;
};

inline std::mutex& QuestionLock() {
  static std::mutex guard;  // the making of this copy's lock
  static std::mutex own;    // a library used without an application
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return own;
  std::lock_guard lock(guard);
  const QVariant held = app->property("qvrQuestionLock");
  if (held.isValid()) return static_cast<QuestionLockHolder*>(held.value<void*>())->lock;
  // The application's children are made on its thread; a library used without the program
  // keeps its own lock.
  if (QThread::currentThread() != app->thread()) return own;
  auto* made = new QuestionLockHolder(app);
  app->setProperty("qvrQuestionLock", QVariant::fromValue(static_cast<void*>(made)));
  return made->lock;
}

}  // namespace qvr
