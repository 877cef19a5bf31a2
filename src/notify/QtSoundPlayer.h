// The end-of-run sound through Qt Multimedia: "Play" of a file that returns at once while
// the sound goes on. A file that cannot be played is the platform's to report; the run
// never hears of it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Completion.h"

class QAudioOutput;
class QMediaPlayer;

namespace qvr {

class QtSoundPlayer : public SoundPlayer {
 public:
  QtSoundPlayer();
  ~QtSoundPlayer() override;
  void Play(const std::string& soundFile) override;
  // Waits, answering events, until the sound has ended or timeoutMs passed. Used before
  // the program ends after a drag-and-drop run, so that the sound is heard whole.
  void WaitUntilDone(int timeoutMs);

 private:
  std::unique_ptr<QAudioOutput> output_;
  std::unique_ptr<QMediaPlayer> player_;
};

// The sound file dialog's filter (description/pattern pairs): the sound formats the
// installed Qt Multimedia backend decodes (WAV always), first all of them together, then
// each, then "ALL Files(*.*)". MIDI is not among them: Qt Multimedia does not play it.
std::vector<std::string> SoundFileFilter();

}  // namespace qvr
