#include "AAXHostOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace aaxhost
{

namespace
{
struct Identity
{
  bool valid = false;
  dev_t dev = 0;
  ino_t ino = 0;
  std::string name; // empty when the file itself exists
};

std::string Folder(const std::string& path)
{
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path)
{
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

Identity IdentityOf(const std::string& path)
{
  Identity id;
  struct stat st;
  if (::stat(path.c_str(), &st) == 0)
  {
    id.valid = true;
    id.dev = st.st_dev;
    id.ino = st.st_ino;
    return id;
  }
  if (::stat(Folder(path).c_str(), &st) == 0)
  {
    id.valid = true;
    id.dev = st.st_dev;
    id.ino = st.st_ino;
    id.name = BaseName(path);
  }
  return id;
}

// Temporary files to remove when a signal ends the process. Written only
// before the handlers are installed and after they are restored, read by the
// handler (async-signal-safe: fixed storage, unlink only).
constexpr int kMaxTemps = 8;
char gTemps[kMaxTemps][4096];
volatile sig_atomic_t gTempCount = 0;
const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void RemoveTempsAndDie(int sig)
{
  for (int i = 0; i < gTempCount; ++i) ::unlink(gTemps[i]);
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

class SignalGuard
{
public:
  SignalGuard()
  {
    struct sigaction sa;
    std::memset(&sa, 0, sizeof(sa));
    sa.sa_handler = RemoveTempsAndDie;
    sigemptyset(&sa.sa_mask);
    for (int s : kSignals) sigaddset(&sa.sa_mask, s);
    // A signal the process was started ignoring (nohup, a background job)
    // stays ignored.
    for (size_t i = 0; i < std::size(kSignals); ++i)
    {
      ::sigaction(kSignals[i], nullptr, &mSaved[i]);
      if (mSaved[i].sa_handler != SIG_IGN) ::sigaction(kSignals[i], &sa, nullptr);
    }
  }
  ~SignalGuard()
  {
    for (size_t i = 0; i < std::size(kSignals); ++i) ::sigaction(kSignals[i], &mSaved[i], nullptr);
    gTempCount = 0;
  }
  SignalGuard(const SignalGuard&) = delete;
  SignalGuard& operator=(const SignalGuard&) = delete;

private:
  struct sigaction mSaved[std::size(kSignals)];
};

bool WriteAll(int fd, const std::vector<uint8_t>& bytes)
{
  size_t done = 0;
  while (done < bytes.size())
  {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

std::string Why(const std::string& path)
{
  return "cannot write " + path + ": " + std::strerror(errno);
}

struct Target
{
  const OutputFile* file = nullptr;
  bool replace = false; // temporary file renamed over the path
  mode_t mode = 0;
  bool keepOwner = false;
  uid_t uid = 0;
  gid_t gid = 0;
  std::string temp;
};
} // namespace

bool SameFile(const std::string& a, const std::string& b)
{
  const Identity x = IdentityOf(a), y = IdentityOf(b);
  return x.valid && y.valid && x.dev == y.dev && x.ino == y.ino && x.name == y.name;
}

bool WriteOutputFiles(const std::vector<OutputFile>& files, std::string& error)
{
  if (files.size() > static_cast<size_t>(kMaxTemps))
  {
    error = "too many output files";
    return false;
  }
  const mode_t mask = ::umask(0);
  ::umask(mask);

  std::vector<Target> targets;
  for (const OutputFile& f : files)
  {
    Target t;
    t.file = &f;
    struct stat st;
    if (::lstat(f.path.c_str(), &st) != 0)
    {
      if (errno != ENOENT)
      {
        error = Why(f.path);
        return false;
      }
      t.replace = true;
      t.mode = 0666 & ~mask;
    }
    else if (S_ISDIR(st.st_mode))
    {
      error = "cannot write " + f.path + ": it is a folder";
      return false;
    }
    else if (S_ISREG(st.st_mode) && st.st_nlink == 1)
    {
      t.replace = true;
      t.mode = st.st_mode & 07777;
      t.keepOwner = true;
      t.uid = st.st_uid;
      t.gid = st.st_gid;
    }
    targets.push_back(t);
  }

  SignalGuard guard;
  auto removeTemps = [&]
  {
    for (Target& t : targets)
      if (!t.temp.empty()) ::unlink(t.temp.c_str());
  };

  // 1. Every temporary file, complete, before anything the user has is touched.
  for (Target& t : targets)
  {
    if (!t.replace) continue;
    std::string pattern = Folder(t.file->path) + "/." + BaseName(t.file->path) + ".aaxhost-XXXXXX";
    if (pattern.size() >= sizeof(gTemps[0]))
    {
      removeTemps();
      error = "cannot write " + t.file->path + ": the path is too long";
      return false;
    }
    // The signals wait while the file is created and registered, so that
    // the handler never sees a file that is not listed or a half-made name.
    sigset_t block, previous;
    sigemptyset(&block);
    for (int sig : kSignals) sigaddset(&block, sig);
    ::sigprocmask(SIG_BLOCK, &block, &previous);
    char* slot = gTemps[gTempCount];
    std::memcpy(slot, pattern.c_str(), pattern.size() + 1);
    const int fd = ::mkstemp(slot);
    const int mkstempErrno = errno;
    if (fd >= 0)
    {
      t.temp = slot;
      gTempCount = gTempCount + 1;
    }
    ::sigprocmask(SIG_SETMASK, &previous, nullptr);
    if (fd < 0)
    {
      errno = mkstempErrno;
      error = Why(t.file->path);
      removeTemps();
      return false;
    }
    if (t.keepOwner && ::fchown(fd, t.uid, t.gid) != 0)
    {
      // Not permitted unless privileged: the new file keeps the writer's owner.
    }
    const bool ok = ::fchmod(fd, t.mode) == 0 && WriteAll(fd, t.file->bytes);
    const int savedErrno = errno;
    if (::close(fd) != 0 || !ok)
    {
      if (!ok) errno = savedErrno;
      error = Why(t.file->path);
      removeTemps();
      return false;
    }
  }

  // 2. Straight into links, devices and FIFOs.
  for (Target& t : targets)
  {
    if (t.replace) continue;
    const int fd = ::open(t.file->path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    const bool ok = fd >= 0 && WriteAll(fd, t.file->bytes);
    const int savedErrno = errno;
    if (fd < 0 || ::close(fd) != 0 || !ok)
    {
      if (!ok) errno = savedErrno;
      error = Why(t.file->path);
      removeTemps();
      return false;
    }
  }

  // 3. The renames (a failure here, after an earlier rename, leaves that
  // earlier file written; renames within a folder practically do not fail).
  for (Target& t : targets)
  {
    if (!t.replace) continue;
    if (::rename(t.temp.c_str(), t.file->path.c_str()) != 0)
    {
      error = Why(t.file->path);
      removeTemps();
      return false;
    }
    t.temp.clear();
  }
  return true;
}

} // namespace aaxhost
