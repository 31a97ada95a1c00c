// WAV files through libsndfile (built only where it is found).
#pragma once

#include "AAXHostAudio.h"

#include <cstdint>
#include <string>
#include <vector>

namespace aaxhost
{

// Reads any file libsndfile understands into per-channel float samples. A WAV
// file whose header promises more frames than it holds reads what is there;
// shortFile (if given) then says so in one line, else it is left empty.
bool ReadAudioFile(const std::string& path, AudioBuffer& out, double& sampleRate, std::string& error,
                   std::string* shortFile = nullptr);
// A 32-bit float WAV file's bytes.
bool EncodeWav(const AudioBuffer& b, double sampleRate, std::vector<uint8_t>& bytes, std::string& error);
// Writes a 32-bit float WAV with WriteOutputFiles (AAXHostOutput.h), so that
// a failure leaves no partial file.
bool WriteWavFile(const std::string& path, const AudioBuffer& b, double sampleRate, std::string& error);
// The same for raw bytes (state files).
bool WriteBytesFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);
bool ReadBytesFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);

} // namespace aaxhost
