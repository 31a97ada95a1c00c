// The aaxhost command line: bad input gives exit 2, one line on standard
// error and no output file; a render matches the effect run directly;
// --compensate removes the latency; a saved state renders the same again.
#include "AAXHostTestModule.h"
#include "AAXHostWav.h"
#include "KestrineEffectHarness.h"
#include "WaitUntil.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

using namespace aaxhost;
namespace fs = std::filesystem;

namespace
{
struct RunResult
{
  int exitCode = -1;
  std::string err;
  std::string out;
};

std::string Quote(const std::string& s)
{
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string Slurp(const std::string& path)
{
  std::ifstream f(path);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

class AAXHostCli : public testing::Test
{
protected:
  void SetUp() override
  {
    // The process id as well as the test's name: the same tests of another
    // build (a second work tree, say) may run at the same time.
    mDir = fs::path(testing::TempDir()) /
           ("aaxhost-cli-" + std::to_string(getpid()) + "-" +
            std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(mDir);
    fs::create_directories(mDir);
  }
  void TearDown() override { fs::remove_all(mDir); }

  std::string Path(const std::string& name) const { return (mDir / name).string(); }

  RunResult Run(const std::vector<std::string>& args, const std::string& standardOutput = "") const
  {
    std::string cmd = Quote(AAXHOST_TEST_EXE);
    for (const auto& a : args) cmd += " " + Quote(a);
    cmd += " >" + Quote(standardOutput.empty() ? Path("stdout.txt") : standardOutput) + " 2>" +
           Quote(Path("stderr.txt"));
    const int status = std::system(cmd.c_str());
    RunResult r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = Slurp(Path("stdout.txt"));
    r.err = Slurp(Path("stderr.txt"));
    return r;
  }

  std::string WriteWav(const std::string& name, const AudioBuffer& b, double rate = 48000.)
  {
    std::string error;
    const std::string p = Path(name);
    EXPECT_TRUE(WriteWavFile(p, b, rate, error)) << error;
    return p;
  }

  AudioBuffer ReadWav(const std::string& path, double* rate = nullptr)
  {
    AudioBuffer b;
    double r = 0.;
    std::string error;
    EXPECT_TRUE(ReadAudioFile(path, b, r, error)) << error;
    if (rate) *rate = r;
    return b;
  }

  fs::path mDir;
};

AudioBuffer Music(int channels, size_t frames)
{
  AudioBuffer b = aaxhost::Noise(channels, frames, 0.2f, 11);
  for (int c = 0; c < channels; ++c)
    for (size_t i = 0; i < frames; ++i)
      b[static_cast<size_t>(c)][i] +=
          static_cast<float>(0.5 * std::sin(6.283185307179586 * 110. * i / 48000.));
  return b;
}
} // namespace

struct BadCase
{
  const char* name;
  bool needsModule;
  // Arguments after "render"; IN, OUT, MODULE, STATE stand for the fixture's files.
  std::vector<std::string> args;
  // Text the error line must hold (if any).
  const char* says = nullptr;
};

void PrintTo(const BadCase& c, std::ostream* os)
{
  *os << c.name;
}

class AAXHostCliBadInput : public AAXHostCli, public testing::WithParamInterface<BadCase>
{
};

TEST_P(AAXHostCliBadInput, ExitsTwoWithOneLineAndNoOutputFile)
{
  const BadCase& c = GetParam();
  if (c.needsModule) REQUIRE_MODULE();
  const std::string in = WriteWav("in.wav", Music(2, 4800));
  WriteWav("three.wav", Music(3, 4800));
  std::ofstream(Path("text.wav")) << "this is not audio";
  std::ofstream(Path("state80.bin"), std::ios::binary) << std::string(80, '\0');
  const std::string out = Path("out.wav");
  std::vector<std::string> args{"render"};
  for (const std::string& a : c.args)
  {
    if (a == "MODULE")
      args.push_back(ModulePath());
    else if (a == "IN")
      args.push_back(in);
    else if (a == "OUT")
      args.push_back(out);
    else if (a.rfind("FILE:", 0) == 0)
      args.push_back(Path(a.substr(5)));
    else
      args.push_back(a);
  }
  const RunResult r = Run(args);
  EXPECT_EQ(r.exitCode, 2) << r.err;
  ASSERT_FALSE(r.err.empty());
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "more than one line:\n" << r.err;
  if (c.says)
  {
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
  EXPECT_FALSE(fs::exists(out));
  for (const auto& entry : fs::directory_iterator(mDir))
    EXPECT_EQ(entry.path().filename().string().find(".out.wav"), std::string::npos) << entry.path();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AAXHostCliBadInput,
    testing::Values(
        BadCase{"MissingInput", false, {"MODULE", "FILE:missing.wav", "OUT"}},
        BadCase{"InputNotAudio", false, {"MODULE", "FILE:text.wav", "OUT"}},
        BadCase{"ThreeChannels", false, {"MODULE", "FILE:three.wav", "OUT"}},
        BadCase{"MissingStateFile", false, {"MODULE", "IN", "OUT", "--state", "FILE:nostate.bin"}},
        BadCase{"BadBlockSize", false, {"MODULE", "IN", "OUT", "--block", "0"}},
        BadCase{"SetWithoutValue", false, {"MODULE", "IN", "OUT", "--set", "Drive"}},
        BadCase{"UnknownOption", false, {"MODULE", "IN", "OUT", "--louder"}},
        BadCase{"MissingArguments", false, {"MODULE", "IN"}},
        BadCase{"MissingModule", false, {"FILE:none.aaxplugin", "IN", "OUT"}},
        BadCase{"ForeignModule", false, {"FILE:text.wav", "IN", "OUT"}},
        BadCase{"UnknownParameter", true, {"MODULE", "IN", "OUT", "--set", "Loudness=3"}},
        BadCase{"UnknownValue", true, {"MODULE", "IN", "OUT", "--set", "Mode=Banana"}},
        BadCase{"ValueNotANumber", true, {"MODULE", "IN", "OUT", "--set", "Drive=lots"}},
        BadCase{"ValueNaN", true, {"MODULE", "IN", "OUT", "--set", "Drive=nan"}},
        BadCase{"ValueInfinite", true, {"MODULE", "IN", "OUT", "--set", "Drive=-inf"}},
        BadCase{"ValueExponent", true, {"MODULE", "IN", "OUT", "--set", "Drive=1e300"}},
        BadCase{"ValueDecimalComma", true, {"MODULE", "IN", "OUT", "--set", "Drive=6,5"}},
        BadCase{"ValueTrailingText", true, {"MODULE", "IN", "OUT", "--set", "Drive=6=7"}},
        BadCase{"ValueHexadecimal", true, {"MODULE", "IN", "OUT", "--set", "Drive=0x10"}},
        BadCase{"ValueWrongUnit", true, {"MODULE", "IN", "OUT", "--set", "HPF=300dB"}},
        BadCase{"ValueOutOfRange", true, {"MODULE", "IN", "OUT", "--set", "Drive=31"}, "30.00dB"},
        BadCase{
            "EnumListsItsTexts", true, {"MODULE", "IN", "OUT", "--set", "Mode=Banana"}, "Saturator, Exciter"},
        BadCase{"StateOfWrongLength",
                true,
                {"MODULE", "IN", "OUT", "--state", "FILE:state80.bin"},
                "80 bytes, but this module's state is 88 bytes"}),
    [](const testing::TestParamInfo<BadCase>& info) { return std::string(info.param.name); });

TEST_F(AAXHostCli, RenderMatchesTheEffectRunDirectly)
{
  REQUIRE_MODULE();
  const AudioBuffer input = Music(2, 48000);
  const std::string in = WriteWav("in.wav", input);
  const std::string out = Path("out.wav");
  const RunResult r = Run({"render", ModulePath(), in, out, "--set", "Drive=12", "--block", "256"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("latency: 60 samples"), std::string::npos) << r.out;
  double rate = 0.;
  const AudioBuffer rendered = ReadWav(out, &rate);
  EXPECT_EQ(rate, 48000.);
  ASSERT_EQ(rendered.size(), 2u);
  ASSERT_EQ(Frames(rendered), Frames(input));

  KestrineHarness direct(48000., 2, 4096);
  direct.Set(kDrive, 12.);
  const auto expected = direct.Process(input, 256);
  for (size_t c = 0; c < 2; ++c)
    for (size_t i = 0; i < Frames(input); ++i)
      ASSERT_EQ(rendered[c][i], expected[c][i]) << "channel " << c << " sample " << i;
}

TEST_F(AAXHostCli, CompensateAlignsAnImpulseToTimeZero)
{
  REQUIRE_MODULE();
  const std::string in = WriteWav("impulse.wav", aaxhost::Impulse(1, 4800, 0, 0.5f));
  for (const char* mode : {"Saturator", "Exciter"})
  {
    const std::string plain = Path("plain.wav"), aligned = Path("aligned.wav");
    const std::string set = std::string("Mode=") + mode;
    RunResult r = Run({"render", ModulePath(), in, plain, "--set", set});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = Run({"render", ModulePath(), in, aligned, "--set", set, "--compensate"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const AudioBuffer p = ReadWav(plain), a = ReadWav(aligned);
    ASSERT_EQ(Frames(p), 4800u);
    ASSERT_EQ(Frames(a), 4800u);
    auto peak = [](const std::vector<float>& x)
    {
      size_t best = 0;
      for (size_t i = 1; i < x.size(); ++i)
        if (std::fabs(x[i]) > std::fabs(x[best])) best = i;
      return best;
    };
    EXPECT_EQ(peak(a[0]), 0u) << mode;
    EXPECT_GT(peak(p[0]), 0u) << mode;
    // The compensated file is the plain one moved forward by the latency.
    const size_t latency = peak(p[0]);
    for (size_t i = 0; i + latency < 4800; ++i)
      ASSERT_EQ(a[0][i], p[0][i + latency]) << mode << " sample " << i;
  }
}

TEST_F(AAXHostCli, SavedStateRendersTheSameAgain)
{
  REQUIRE_MODULE();
  const std::string in = WriteWav("in.wav", Music(1, 9600));
  const std::string state = Path("state.bin");
  RunResult r = Run({"render", ModulePath(), in, Path("a.wav"), "--set", "Drive=9", "--set", "Mode=Exciter",
                     "--save-state", state});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  ASSERT_TRUE(fs::exists(state));
  r = Run({"render", ModulePath(), in, Path("b.wav"), "--state", state});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadWav(Path("a.wav")), ReadWav(Path("b.wav")));
}

TEST_F(AAXHostCli, AcceptedSpellingsOfAValueRenderAlike)
{
  REQUIRE_MODULE();
  const std::string in = WriteWav("in.wav", Music(1, 4800));
  struct
  {
    const char* set;
    const char* same;
  } cases[] = {
      {"Drive= 6.5 DB", "Drive=6.5"}, {"drive=+6.50dB", "Drive=6.5"}, {"Mode=exciter", "Mode=Exciter"},
      {"SOLO=solo", "Solo=Solo"},     {"HPF=.5e0", nullptr},          {"HPF=100 Hz", "HPF=100"}};
  for (const auto& c : cases)
  {
    const RunResult a = Run({"render", ModulePath(), in, Path("a.wav"), "--set", c.set});
    if (!c.same)
    {
      EXPECT_EQ(a.exitCode, 2) << c.set;
      continue;
    }
    ASSERT_EQ(a.exitCode, 0) << c.set << ": " << a.err;
    const RunResult b = Run({"render", ModulePath(), in, Path("b.wav"), "--set", c.same});
    ASSERT_EQ(b.exitCode, 0) << c.same << ": " << b.err;
    EXPECT_EQ(ReadWav(Path("a.wav")), ReadWav(Path("b.wav"))) << c.set;
  }
}

// Files named by a render, each the original bytes unless the case writes it.
std::map<std::string, std::string> Snapshot(const fs::path& dir)
{
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(dir))
    if (entry.path().filename() != "stdout.txt" && entry.path().filename() != "stderr.txt")
      files[entry.path().filename().string()] = fs::is_symlink(entry.path())
                                                    ? "-> " + fs::read_symlink(entry.path()).string()
                                                    : Slurp(entry.path().string());
  return files;
}

TEST_F(AAXHostCli, RefusesAnOutputThatIsOneOfItsInputs)
{
  REQUIRE_MODULE();
  const std::string in = WriteWav("in.wav", Music(1, 4800));
  ASSERT_EQ(Run({"render", ModulePath(), in, Path("first.wav"), "--save-state", Path("state.bin")}).exitCode,
            0);
  fs::create_symlink("in.wav", mDir / "link.wav");
  const std::string dotted = (mDir / "." / "in.wav").string();
  const std::vector<std::vector<std::string>> cases = {
      {in, dotted},
      {in, Path("link.wav")},
      {in, Path("state.bin"), "--state", Path("state.bin")},
      {in, Path("new.wav"), "--save-state", (mDir / "." / "new.wav").string()},
      {in, Path("new.wav"), "--save-state", dotted},
  };
  const auto before = Snapshot(mDir);
  for (const auto& c : cases)
  {
    std::vector<std::string> args{"render", ModulePath()};
    args.insert(args.end(), c.begin(), c.end());
    const RunResult r = Run(args);
    EXPECT_EQ(r.exitCode, 2) << c[1] << " " << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    EXPECT_EQ(Snapshot(mDir), before) << c[1];
  }
}

TEST_F(AAXHostCli, WritesThroughLinksAndKeepsTheFileMode)
{
  REQUIRE_MODULE();
  const std::string in = WriteWav("in.wav", Music(1, 4800));
  std::ofstream(Path("target.wav")) << "old";
  fs::create_symlink("target.wav", mDir / "link.wav");
  std::ofstream(Path("hard.wav")) << "old";
  fs::create_hard_link(mDir / "hard.wav", mDir / "hard2.wav");
  std::ofstream(Path("private.wav")) << "old";
  fs::permissions(mDir / "private.wav",
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
  // A FIFO stands for devices: written into, never replaced. (Not /dev/null
  // itself: a faulty build run as root would replace the system's.)
  // The test holds both ends, so nothing blocks; the file (under 64 KiB)
  // fits in the pipe.
  ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
  const int pipeEnd = open(Path("fifo").c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_GE(pipeEnd, 0);
  for (const char* out : {"link.wav", "hard.wav", "private.wav", "fifo"})
  {
    const RunResult r = Run({"render", ModulePath(), in, Path(out)});
    EXPECT_EQ(r.exitCode, 0) << out << ": " << r.err;
  }
  std::string fromFifo;
  char chunk[4096];
  for (ssize_t n; (n = read(pipeEnd, chunk, sizeof(chunk))) > 0;)
    fromFifo.append(chunk, static_cast<size_t>(n));
  close(pipeEnd);
  EXPECT_TRUE(fs::is_symlink(mDir / "link.wav"));
  EXPECT_EQ(Frames(ReadWav(Path("target.wav"))), 4800u);
  EXPECT_EQ(fs::hard_link_count(mDir / "hard.wav"), 2u);
  EXPECT_EQ(Frames(ReadWav(Path("hard2.wav"))), 4800u);
  EXPECT_EQ(fs::status(mDir / "private.wav").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
  EXPECT_EQ(Frames(ReadWav(Path("private.wav"))), 4800u);
  EXPECT_TRUE(fs::is_fifo(mDir / "fifo"));
  // The same audio (the bytes differ in the header's time stamp).
  std::ofstream(Path("fromfifo.wav"), std::ios::binary) << fromFifo;
  EXPECT_EQ(ReadWav(Path("fromfifo.wav")), ReadWav(Path("private.wav")));
}

TEST_F(AAXHostCli, AFailedStateWriteLeavesTheOutputAsItWas)
{
  REQUIRE_MODULE();
  const std::string in = WriteWav("in.wav", Music(1, 4800));
  std::ofstream(Path("out.wav")) << "the user's";
  const RunResult r =
      Run({"render", ModulePath(), in, Path("out.wav"), "--save-state", Path("nofolder/s.bin")});
  EXPECT_EQ(r.exitCode, 2) << r.err;
  EXPECT_EQ(Slurp(Path("out.wav")), "the user's");
  EXPECT_EQ(Snapshot(mDir).size(), 2u); // in.wav and out.wav, no temporary file
}

TEST_F(AAXHostCli, ASignalWhileWritingRemovesTheTemporaryFile)
{
  REQUIRE_MODULE();
  const std::string in = WriteWav("in.wav", Music(1, 4800));
  std::ofstream(Path("out.wav.partial")) << "the user's";
  for (int sig : {SIGINT, SIGTERM})
  {
    // The state goes into a FIFO nobody reads: the render waits there, with
    // the output's temporary file complete beside it.
    const std::string fifo = Path("fifo");
    fs::remove(fifo);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string exe = AAXHOST_TEST_EXE, module = ModulePath(), out = Path("out.wav");
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0)
    {
      std::signal(SIGINT, SIG_DFL);
      std::signal(SIGTERM, SIG_DFL);
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, 1);
      dup2(null, 2);
      execl(exe.c_str(), exe.c_str(), "render", module.c_str(), in.c_str(), out.c_str(), "--save-state",
            fifo.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    auto temporaryFiles = [&]
    {
      int n = 0;
      for (const auto& entry : fs::directory_iterator(mDir))
        n += entry.path().filename().string().rfind(".out.wav.", 0) == 0;
      return n;
    };
    // Until the render has started writing its output.
    kestrine_test::WaitUntil([&] { return temporaryFiles() > 0; });
    EXPECT_EQ(temporaryFiles(), 1);
    kill(pid, sig);
    int status = 0;
    const bool gone = kestrine_test::WaitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; });
    if (!gone)
    {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
    }
    ASSERT_TRUE(gone) << "the render did not end on signal " << sig;
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
    EXPECT_EQ(temporaryFiles(), 0) << sig;
    EXPECT_FALSE(fs::exists(out)) << sig;
    EXPECT_EQ(Slurp(Path("out.wav.partial")), "the user's");
  }
}

TEST_F(AAXHostCli, AShortWavFileWarnsOrIsRefusedWhenStrict)
{
  REQUIRE_MODULE();
  WriteWav("full.wav", Music(1, 4800));
  const std::string bytes = Slurp(Path("full.wav"));
  std::ofstream(Path("short.wav"), std::ios::binary) << bytes.substr(0, bytes.size() - 4 * 1000);
  RunResult r = Run({"render", ModulePath(), Path("short.wav"), Path("out.wav")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("warning: "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("promises 4800 frames, the file holds 3800"), std::string::npos) << r.err;
  EXPECT_EQ(Frames(ReadWav(Path("out.wav"))), 3800u);
  fs::remove(Path("out.wav"));
  r = Run({"render", ModulePath(), Path("short.wav"), Path("out.wav"), "--strict"});
  EXPECT_EQ(r.exitCode, 2) << r.err;
  EXPECT_FALSE(fs::exists(Path("out.wav")));
  r = Run({"render", ModulePath(), Path("full.wav"), Path("out.wav")});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(r.err.empty()) << r.err;
}

TEST_F(AAXHostCli, AnUnwritableStandardOutputIsAFailure)
{
  REQUIRE_MODULE();
  const std::string in = WriteWav("in.wav", Music(1, 480));
  const std::vector<std::vector<std::string>> cases = {
      {"describe", ModulePath()}, {"validate", ModulePath()}, {"render", ModulePath(), in, Path("out.wav")}};
  for (const auto& args : cases)
  {
    const RunResult r = Run(args, "/dev/full");
    EXPECT_NE(r.exitCode, 0) << args[0];
    EXPECT_NE(r.err.find("standard output"), std::string::npos) << args[0] << ": " << r.err;
  }
}

TEST_F(AAXHostCli, BypassWithCompensateGivesBackTheInput)
{
  REQUIRE_MODULE();
  // Bypass set on the command line or restored from a state file, both modes,
  // a common and a small block size, mono and stereo.
  const std::string state = Path("bypassed.bin");
  ASSERT_EQ(Run({"render", ModulePath(), WriteWav("seed.wav", Music(1, 480)), Path("seed-out.wav"), "--set",
                 "Bypass=Bypass", "--save-state", state})
                .exitCode,
            0);
  struct
  {
    const char* mode;
    const char* block;
    int channels;
    bool fromState;
  } cases[] = {{"Saturator", "512", 1, false}, {"Saturator", "64", 2, false}, {"Exciter", "512", 2, false},
               {"Exciter", "64", 1, false},    {"Saturator", "512", 2, true}, {"Exciter", "100", 1, true}};
  for (const auto& c : cases)
  {
    const AudioBuffer input = aaxhost::Noise(c.channels, 1000, 0.5f, 3);
    const std::string in = WriteWav("in.wav", input), out = Path("out.wav");
    std::vector<std::string> args{"render", ModulePath(), in, out, "--compensate", "--block", c.block};
    if (c.fromState)
      args.insert(args.end(), {"--state", state});
    else
      args.insert(args.end(), {"--set", "Bypass=Bypass"});
    args.insert(args.end(), {"--set", std::string("Mode=") + c.mode});
    const RunResult r = Run(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadWav(out), input) << c.mode << " block " << c.block << " " << c.channels << " channels"
                                   << (c.fromState ? " from a state file" : "");
  }
}
