// WAV files through libsndfile (built only where it is found).
#pragma once

#include "AAXHostAudio.h"

#include <string>

namespace aaxhost
{

// Reads any file libsndfile understands into per-channel float samples.
bool ReadAudioFile(const std::string& path, AudioBuffer& out, double& sampleRate, std::string& error);
// Writes a 32-bit float WAV: into a temporary file beside path, renamed over
// path only when complete, so that a failure leaves no partial file.
bool WriteWavFile(const std::string& path, const AudioBuffer& b, double sampleRate, std::string& error);
// The same for raw bytes (state files).
bool WriteBytesFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);
bool ReadBytesFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);

} // namespace aaxhost
