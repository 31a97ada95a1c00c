// The aaxhost command line: bad input gives exit 2, one line on standard
// error and no output file; a render matches the effect run directly;
// --compensate removes the latency; a saved state renders the same again.
#include "AAXHostTestModule.h"
#include "AAXHostWav.h"
#include "KestrineEffectHarness.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
    mDir = fs::path(testing::TempDir()) /
           ("aaxhost-cli-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(mDir);
    fs::create_directories(mDir);
  }
  void TearDown() override { fs::remove_all(mDir); }

  std::string Path(const std::string& name) const { return (mDir / name).string(); }

  RunResult Run(const std::vector<std::string>& args) const
  {
    std::string cmd = Quote(AAXHOST_TEST_EXE);
    for (const auto& a : args) cmd += " " + Quote(a);
    cmd += " >" + Quote(Path("stdout.txt")) + " 2>" + Quote(Path("stderr.txt"));
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
  EXPECT_FALSE(fs::exists(out));
  EXPECT_FALSE(fs::exists(out + ".partial"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AAXHostCliBadInput,
    testing::Values(BadCase{"MissingInput", false, {"MODULE", "FILE:missing.wav", "OUT"}},
                    BadCase{"InputNotAudio", false, {"MODULE", "FILE:text.wav", "OUT"}},
                    BadCase{"ThreeChannels", false, {"MODULE", "FILE:three.wav", "OUT"}},
                    BadCase{
                        "MissingStateFile", false, {"MODULE", "IN", "OUT", "--state", "FILE:nostate.bin"}},
                    BadCase{"BadBlockSize", false, {"MODULE", "IN", "OUT", "--block", "0"}},
                    BadCase{"SetWithoutValue", false, {"MODULE", "IN", "OUT", "--set", "Drive"}},
                    BadCase{"UnknownOption", false, {"MODULE", "IN", "OUT", "--louder"}},
                    BadCase{"MissingArguments", false, {"MODULE", "IN"}},
                    BadCase{"MissingModule", false, {"FILE:none.aaxplugin", "IN", "OUT"}},
                    BadCase{"ForeignModule", false, {"FILE:text.wav", "IN", "OUT"}},
                    BadCase{"UnknownParameter", true, {"MODULE", "IN", "OUT", "--set", "Loudness=3"}},
                    BadCase{"UnknownValue", true, {"MODULE", "IN", "OUT", "--set", "Mode=Banana"}},
                    BadCase{"ValueNotANumber", true, {"MODULE", "IN", "OUT", "--set", "Drive=lots"}}),
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
