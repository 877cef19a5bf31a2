#include "QtSoundPlayer.h"

#include <QAudioOutput>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QMediaFormat>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>
#include <algorithm>

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

std::vector<std::string> SoundFileFilter() {
  struct Sound {
    QMediaFormat::FileFormat format;
    const char* name;
    const char* patterns;  // ";" between patterns
  };
  static const Sound kSounds[] = {
      {QMediaFormat::Wave, "WAV", "*.wav"},       {QMediaFormat::MP3, "MP3", "*.mp3"},
      {QMediaFormat::Ogg, "Ogg", "*.ogg;*.oga"},  {QMediaFormat::FLAC, "FLAC", "*.flac"},
      {QMediaFormat::Mpeg4Audio, "M4A", "*.m4a"}, {QMediaFormat::AAC, "AAC", "*.aac"},
      {QMediaFormat::WMA, "WMA", "*.wma"},
  };
  QList<QMediaFormat::FileFormat> decoded =
      QMediaFormat().supportedFileFormats(QMediaFormat::Decode);
  std::vector<std::string> each;
  std::string all, allShown;
  for (const Sound& sound : kSounds) {
    if (sound.format != QMediaFormat::Wave && !decoded.contains(sound.format)) continue;
    std::string shown = sound.patterns;
    std::replace(shown.begin(), shown.end(), ';', ',');
    each.push_back(std::string(sound.name) + " Files(" + shown + ")");
    each.push_back(sound.patterns);
    all += (all.empty() ? "" : ";") + std::string(sound.patterns);
    allShown += (allShown.empty() ? "" : ",") + shown;
  }
  std::vector<std::string> filter = {"Music Files(" + allShown + ")", all};
  filter.insert(filter.end(), each.begin(), each.end());
  filter.insert(filter.end(), {"ALL Files(*.*)", "*.*"});
  return filter;
}

}  // namespace qvr
