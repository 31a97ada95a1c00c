#include "AAXHostWav.h"
#include "AAXHostOutput.h"

#include <sndfile.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <algorithm>

namespace aaxhost
{

namespace
{
// libsndfile writing into memory, so that the bytes reach the file system in
// one step (WriteOutputFiles) and a header can be written before the data.
struct MemoryFile
{
  std::vector<uint8_t> bytes;
  sf_count_t position = 0;
};

sf_count_t MemLength(void* user)
{
  return static_cast<sf_count_t>(static_cast<MemoryFile*>(user)->bytes.size());
}

sf_count_t MemSeek(sf_count_t offset, int whence, void* user)
{
  auto* m = static_cast<MemoryFile*>(user);
  const sf_count_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? m->position : MemLength(user);
  if (base + offset < 0) return -1;
  m->position = base + offset;
  return m->position;
}

sf_count_t MemRead(void* out, sf_count_t count, void* user)
{
  auto* m = static_cast<MemoryFile*>(user);
  const sf_count_t available = std::max<sf_count_t>(0, MemLength(user) - m->position);
  const sf_count_t n = std::min(count, available);
  if (n > 0) std::memcpy(out, m->bytes.data() + m->position, static_cast<size_t>(n));
  m->position += n;
  return n;
}

sf_count_t MemWrite(const void* in, sf_count_t count, void* user)
{
  auto* m = static_cast<MemoryFile*>(user);
  const size_t end = static_cast<size_t>(m->position + count);
  if (end > m->bytes.size()) m->bytes.resize(end);
  std::memcpy(m->bytes.data() + m->position, in, static_cast<size_t>(count));
  m->position += count;
  return count;
}

sf_count_t MemTell(void* user)
{
  return static_cast<MemoryFile*>(user)->position;
}

uint32_t Little32(const unsigned char* p)
{
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The frames a RIFF WAVE file's data chunk header promises, or -1 when the
// file is not one or the size is the streaming placeholder.
long long PromisedWavFrames(const std::string& path)
{
  std::ifstream f(path, std::ios::binary);
  unsigned char head[12];
  if (!f.read(reinterpret_cast<char*>(head), 12)) return -1;
  if (std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0) return -1;
  uint32_t blockAlign = 0;
  unsigned char chunk[8];
  while (f.read(reinterpret_cast<char*>(chunk), 8))
  {
    const uint32_t size = Little32(chunk + 4);
    if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16)
    {
      unsigned char fmt[16];
      if (!f.read(reinterpret_cast<char*>(fmt), 16)) return -1;
      blockAlign = uint32_t(fmt[12]) | uint32_t(fmt[13]) << 8;
      f.seekg(static_cast<std::streamoff>(size - 16 + (size & 1)), std::ios::cur);
      continue;
    }
    if (std::memcmp(chunk, "data", 4) == 0)
    {
      if (blockAlign == 0 || size == 0 || size == 0xFFFFFFFFu) return -1;
      return static_cast<long long>(size / blockAlign);
    }
    f.seekg(static_cast<std::streamoff>(size + (size & 1)), std::ios::cur);
  }
  return -1;
}
} // namespace

bool ReadAudioFile(const std::string& path, AudioBuffer& out, double& sampleRate, std::string& error,
                   std::string* shortFile)
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
  if (shortFile)
  {
    shortFile->clear();
    const long long promised = PromisedWavFrames(path);
    if (promised > static_cast<long long>(info.frames))
      *shortFile = path + ": the header promises " + std::to_string(promised) + " frames, the file holds " +
                   std::to_string(static_cast<long long>(info.frames));
  }
  return true;
}

bool EncodeWav(const AudioBuffer& b, double sampleRate, std::vector<uint8_t>& bytes, std::string& error)
{
  SF_INFO info;
  std::memset(&info, 0, sizeof(info));
  info.channels = static_cast<int>(b.size());
  info.samplerate = static_cast<int>(sampleRate);
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  SF_VIRTUAL_IO io = {MemLength, MemSeek, MemRead, MemWrite, MemTell};
  MemoryFile memory;
  SNDFILE* f = sf_open_virtual(&io, SFM_WRITE, &info, &memory);
  if (!f)
  {
    error = std::string("cannot encode WAV: ") + sf_strerror(nullptr);
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
    error = "cannot encode WAV: incomplete write";
    return false;
  }
  bytes = std::move(memory.bytes);
  return true;
}

bool WriteWavFile(const std::string& path, const AudioBuffer& b, double sampleRate, std::string& error)
{
  std::vector<OutputFile> files(1);
  files[0].path = path;
  return EncodeWav(b, sampleRate, files[0].bytes, error) && WriteOutputFiles(files, error);
}

bool WriteBytesFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error)
{
  return WriteOutputFiles({OutputFile{path, bytes}}, error);
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
