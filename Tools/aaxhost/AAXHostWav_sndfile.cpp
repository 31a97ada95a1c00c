#include "AAXHostWav.h"

#include <sndfile.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace aaxhost
{

namespace
{
std::string TempPath(const std::string& path)
{
  return path + ".partial";
}

bool Commit(const std::string& temp, const std::string& path, std::string& error)
{
  if (std::rename(temp.c_str(), path.c_str()) != 0)
  {
    error = "cannot write " + path + ": " + std::strerror(errno);
    std::remove(temp.c_str());
    return false;
  }
  return true;
}
} // namespace

bool ReadAudioFile(const std::string& path, AudioBuffer& out, double& sampleRate, std::string& error)
{
  SF_INFO info;
  std::memset(&info, 0, sizeof(info));
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  if (!f)
  {
    error = "cannot read " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  if (info.channels < 1 || info.samplerate < 1 || info.frames < 0)
  {
    sf_close(f);
    error = "cannot read " + path + ": no audio in it";
    return false;
  }
  sampleRate = info.samplerate;
  out = MakeBuffer(info.channels, static_cast<size_t>(info.frames));
  std::vector<float> interleaved(static_cast<size_t>(info.frames) * static_cast<size_t>(info.channels));
  const sf_count_t got = sf_readf_float(f, interleaved.data(), info.frames);
  sf_close(f);
  if (got != info.frames)
  {
    error = "cannot read " + path + ": the file ends early";
    return false;
  }
  for (size_t i = 0; i < static_cast<size_t>(info.frames); ++i)
    for (size_t c = 0; c < static_cast<size_t>(info.channels); ++c)
      out[c][i] = interleaved[i * static_cast<size_t>(info.channels) + c];
  return true;
}

bool WriteWavFile(const std::string& path, const AudioBuffer& b, double sampleRate, std::string& error)
{
  SF_INFO info;
  std::memset(&info, 0, sizeof(info));
  info.channels = static_cast<int>(b.size());
  info.samplerate = static_cast<int>(sampleRate);
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  const std::string temp = TempPath(path);
  SNDFILE* f = sf_open(temp.c_str(), SFM_WRITE, &info);
  if (!f)
  {
    error = "cannot write " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  const size_t frames = Frames(b);
  std::vector<float> interleaved(frames * b.size());
  for (size_t i = 0; i < frames; ++i)
    for (size_t c = 0; c < b.size(); ++c) interleaved[i * b.size() + c] = b[c][i];
  const sf_count_t wrote = sf_writef_float(f, interleaved.data(), static_cast<sf_count_t>(frames));
  const int closed = sf_close(f);
  if (wrote != static_cast<sf_count_t>(frames) || closed != 0)
  {
    error = "cannot write " + path + ": incomplete write";
    std::remove(temp.c_str());
    return false;
  }
  return Commit(temp, path, error);
}

bool WriteBytesFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error)
{
  const std::string temp = TempPath(path);
  {
    std::ofstream f(temp, std::ios::binary | std::ios::trunc);
    if (!f)
    {
      error = "cannot write " + path;
      return false;
    }
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    f.close();
    if (!f)
    {
      error = "cannot write " + path + ": incomplete write";
      std::remove(temp.c_str());
      return false;
    }
  }
  return Commit(temp, path, error);
}

bool ReadBytesFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error)
{
  std::ifstream f(path, std::ios::binary);
  if (!f)
  {
    error = "cannot read " + path;
    return false;
  }
  bytes.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  if (f.bad())
  {
    error = "cannot read " + path;
    return false;
  }
  return true;
}

} // namespace aaxhost
