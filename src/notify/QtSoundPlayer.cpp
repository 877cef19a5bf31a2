#include "QtSoundPlayer.h"

#include <QAudioOutput>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>

namespace qvr {

QtSoundPlayer::QtSoundPlayer() = default;
QtSoundPlayer::~QtSoundPlayer() = default;

void QtSoundPlayer::Play(const std::string& soundFile) {
  // The player is made at the first sound, so that a run without sound loads no backend.
  if (!player_) {
    output_ = std::make_unique<QAudioOutput>();
    player_ = std::make_unique<QMediaPlayer>();
    player_->setAudioOutput(output_.get());
  }
  player_->stop();
  player_->setSource(QUrl::fromLocalFile(QString::fromStdString(soundFile)));
  player_->play();
}

void QtSoundPlayer::WaitUntilDone(int timeoutMs) {
  if (!player_) return;
  QDeadlineTimer deadline(timeoutMs);
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    bool busy = player_->playbackState() == QMediaPlayer::PlayingState &&
                player_->error() == QMediaPlayer::NoError;
    if (!busy || deadline.hasExpired()) loop.quit();
  });
  poll.start(50);
  loop.exec();
}

}  // namespace qvr
