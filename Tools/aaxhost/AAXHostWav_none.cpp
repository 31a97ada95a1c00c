// Audio files in a build without libsndfile: the editor verbs play the demo
// signal only.
#include "AAXHostWav.h"

namespace aaxhost
{

bool ReadAudioFile(const std::string& path, AudioBuffer&, double&, std::string& error, std::string*)
{
  error = "cannot read " + path + ": this build reads no audio files";
  return false;
}

} // namespace aaxhost
