// The WAV verbs: render and demo (built where libsndfile is found).
#include "AAXHostCommands.h"
#include "AAXHostOutput.h"
#include "AAXHostWav.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace aaxhost
{

namespace
{
struct Setting
{
  std::string name;
  std::string value;
};

struct RenderJob
{
  std::vector<Setting> settings;
  std::vector<uint8_t> state;
  std::string statePath;
  bool hasState = false;
  int block = 512;
  bool compensate = false;
  bool progress = false;
};

struct RenderOutcome
{
  AudioBuffer out;
  int latency = 0;
  std::vector<uint8_t> state;
};

int BadInput(const std::string& what)
{
  std::fprintf(stderr, "aaxhost: %s\n", what.c_str());
  return kExitBadInput;
}

// Renders in through a new instance of the session's effect. false with
// error set on bad input (configuration, state, settings).
bool RenderThrough(Session& session, const AudioBuffer& in, double rate, const RenderJob& job, bool saveState,
                   RenderOutcome& result, std::string& error)
{
  const int channels = static_cast<int>(in.size());
  auto inst = session.CreateInstance(channels, rate, error);
  if (!inst) return false;
  if (job.hasState)
  {
    // A state of another length is another module's or a damaged file: the
    // module's own tolerance of short or long chunks is not for files.
    std::vector<uint8_t> fresh;
    if (!inst->SaveState(fresh, error)) return false;
    if (fresh.size() != job.state.size())
    {
      error = job.statePath + ": " + std::to_string(job.state.size()) +
              " bytes, but this module's state is " + std::to_string(fresh.size()) + " bytes";
      return false;
    }
    if (inst->RestoreState(job.state.data(), job.state.size()) != AAX_SUCCESS)
    {
      error = "the module refused the state file";
      return false;
    }
  }
  for (const Setting& s : job.settings)
  {
    std::string id;
    if (!inst->FindParameter(s.name, id))
    {
      error = "unknown parameter \"" + s.name + "\"";
      return false;
    }
    std::string why;
    if (!inst->SetParameterFromText(id, s.value, why))
    {
      error = "bad value \"" + s.value + "\" for " + s.name + ": " + why;
      return false;
    }
  }
  const bool showProgress = job.progress && Frames(in) > static_cast<size_t>(5. * rate);
  int lastPercent = -1;
  auto progress = [&](double fraction)
  {
    const int percent = static_cast<int>(fraction * 100.);
    if (percent == lastPercent) return;
    lastPercent = percent;
    const int width = 40, filled = percent * width / 100;
    std::fprintf(stderr, "\r[%s%s] %3d%%", std::string(static_cast<size_t>(filled), '#').c_str(),
                 std::string(static_cast<size_t>(width - filled), ' ').c_str(), percent);
    std::fflush(stderr);
  };
  result.out =
      RenderBuffer(*inst, in, job.block, 1, showProgress ? std::function<void(double)>(progress) : nullptr);
  if (showProgress) std::fprintf(stderr, "\n");
  // The latency in force at the end: a Mode setting is reported after the first block.
  result.latency = std::max(0, inst->Latency());
  if (job.compensate && result.latency > 0)
  {
    // Render the tail that the latency holds back, then drop the delay.
    AudioBuffer tail =
        RenderBuffer(*inst, MakeBuffer(channels, static_cast<size_t>(result.latency)), job.block);
    for (size_t c = 0; c < result.out.size(); ++c)
    {
      auto& ch = result.out[c];
      ch.insert(ch.end(), tail[c].begin(), tail[c].end());
      ch.erase(ch.begin(), ch.begin() + result.latency);
    }
  }
  if (saveState && !inst->SaveState(result.state, error)) return false;
  return true;
}

void PrintSummary(const AudioBuffer& in, const AudioBuffer& out, int latency, double rate)
{
  std::printf("latency: %d samples (%.2f ms)\n", latency, 1000. * latency / rate);
  const auto li = Measure(in), lo = Measure(out);
  std::printf("%-8s %12s %12s %12s %12s\n", "channel", "in peak", "in RMS", "out peak", "out RMS");
  for (size_t c = 0; c < li.size() && c < lo.size(); ++c)
  {
    const char* name = li.size() == 1 ? "mono" : (c == 0 ? "left" : "right");
    std::printf("%-8s %8.2f dBFS %7.2f dBFS %7.2f dBFS %7.2f dBFS\n", name, ToDb(li[c].peak), ToDb(li[c].rms),
                ToDb(lo[c].peak), ToDb(lo[c].rms));
  }
}
} // namespace

int RunRender(const std::vector<std::string>& args)
{
  std::vector<std::string> positional;
  RenderJob job;
  std::string stateIn, stateOut;
  bool strict = false;
  for (size_t i = 0; i < args.size(); ++i)
  {
    const std::string& a = args[i];
    auto value = [&](const char* option, std::string& out)
    {
      if (i + 1 >= args.size()) return false;
      out = args[++i];
      (void)option;
      return true;
    };
    std::string v;
    if (a == "--set")
    {
      if (!value("--set", v)) return BadInput("--set needs NAME=VALUE");
      const size_t eq = v.find('=');
      if (eq == std::string::npos || eq == 0) return BadInput("--set needs NAME=VALUE, got \"" + v + "\"");
      job.settings.push_back({v.substr(0, eq), v.substr(eq + 1)});
    }
    else if (a == "--state")
    {
      if (!value("--state", stateIn)) return BadInput("--state needs a file");
    }
    else if (a == "--save-state")
    {
      if (!value("--save-state", stateOut)) return BadInput("--save-state needs a file");
    }
    else if (a == "--block")
    {
      if (!value("--block", v)) return BadInput("--block needs a number of frames");
      char* end = nullptr;
      const long n = std::strtol(v.c_str(), &end, 10);
      if (v.empty() || *end || n < 1 || n > 65536)
        return BadInput("--block needs 1 to 65536 frames, got \"" + v + "\"");
      job.block = static_cast<int>(n);
    }
    else if (a == "--compensate")
      job.compensate = true;
    else if (a == "--strict")
      strict = true;
    else if (a.size() > 1 && a[0] == '-' && a[1] == '-')
      return BadInput("unknown option " + a);
    else
      positional.push_back(a);
  }
  if (positional.size() != 3) return BadInput("render needs MODULE IN.wav OUT.wav");
  const std::string& modulePath = positional[0];
  const std::string& inPath = positional[1];
  const std::string& outPath = positional[2];

  // Nothing is read or written when an output would overwrite an input or
  // another output, however the paths are spelled.
  struct Clash
  {
    const std::string& a;
    const std::string& b;
    const char* what;
  };
  const Clash clashes[] = {{outPath, inPath, "OUT is the same file as IN"},
                           {outPath, stateIn, "OUT is the same file as the --state file"},
                           {stateOut, outPath, "the --save-state file is the same file as OUT"},
                           {stateOut, inPath, "the --save-state file is the same file as IN"}};
  for (const Clash& c : clashes)
    if (!c.a.empty() && !c.b.empty() && SameFile(c.a, c.b))
      return BadInput(std::string(c.what) + " (" + c.a + ")");

  std::string error, shortFile;
  AudioBuffer in;
  double rate = 0.;
  if (!ReadAudioFile(inPath, in, rate, error, &shortFile)) return BadInput(error);
  if (!shortFile.empty())
  {
    if (strict) return BadInput(shortFile + " (refused: --strict)");
    std::fprintf(stderr, "aaxhost: warning: %s; rendering the frames it holds\n", shortFile.c_str());
  }
  if (in.size() != 1 && in.size() != 2)
    return BadInput(inPath + ": " + std::to_string(in.size()) +
                    " channels; only mono and stereo are supported");
  if (!stateIn.empty())
  {
    if (!ReadBytesFile(stateIn, job.state, error)) return BadInput(error);
    job.hasState = true;
    job.statePath = stateIn;
  }
  auto session = Session::Open(modulePath, error, stderr);
  if (!session) return BadInput(error);
  job.progress = StandardErrorIsTerminal();
  RenderOutcome result;
  if (!RenderThrough(*session, in, rate, job, !stateOut.empty(), result, error)) return BadInput(error);
  // Both files complete before either replaces anything.
  std::vector<OutputFile> files(1);
  files[0].path = outPath;
  if (!EncodeWav(result.out, rate, files[0].bytes, error)) return BadInput(error);
  if (!stateOut.empty()) files.push_back({stateOut, result.state});
  if (!WriteOutputFiles(files, error)) return BadInput(error);
  PrintSummary(in, result.out, result.latency, rate);
  return FinishStandardOutput();
}

int RunDemo(const std::vector<std::string>& args)
{
  if (args.size() > 1) return BadInput("demo takes at most one folder");
  const std::string dir = args.empty() ? std::string(AAXHOST_DEMO_DIR) : args[0];
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) return BadInput("cannot create " + dir + ": " + ec.message());

  std::string error;
  auto session = Session::Open(DefaultModulePath(), error, stderr);
  if (!session) return BadInput(error);

  const double rate = 48000.;
  const AudioBuffer in = MakeDemoSignal(rate, 6.);
  const std::string inFile = (std::filesystem::path(dir) / "input.wav").string();
  if (!WriteWavFile(inFile, in, rate, error)) return BadInput(error);

  struct Run
  {
    const char* label;
    const char* file;
    std::vector<Setting> settings;
  };
  const Run runs[] = {
      {"defaults", "defaults.wav", {}},
      {"hot drive, pre-emphasis trims",
       "hot-drive.wav",
       {{"Drive", "18"}, {"LowTrim", "-6"}, {"HighTrim", "6"}}},
      {"exciter, solo off", "exciter.wav", {{"Mode", "Exciter"}, {"Solo", "Normal"}}},
  };

  auto crest = [](const std::vector<ChannelLevels>& l)
  {
    double peak = 0., rms = 0.;
    for (const auto& c : l)
    {
      peak = std::max(peak, c.peak);
      rms += c.rms * c.rms;
    }
    rms = std::sqrt(rms / static_cast<double>(l.size()));
    return std::make_pair(peak, rms);
  };
  const auto inLevels = crest(Measure(in));
  const double inCrest = ToDb(inLevels.first) - ToDb(inLevels.second);

  std::printf("Kestrine demo: 6 s of drums, bass and a voice-like tone, stereo, 48000 Hz\n");
  std::printf("files in %s\n\n", dir.c_str());
  std::printf("%-30s %10s %10s %9s %13s %9s\n", "setting", "peak dBFS", "RMS dBFS", "crest dB",
              "crest change", "latency");
  std::printf("%-30s %10.2f %10.2f %9.2f %13s %9s\n", "input", ToDb(inLevels.first), ToDb(inLevels.second),
              inCrest, "", "");
  for (const Run& run : runs)
  {
    RenderJob job;
    job.settings = run.settings;
    job.compensate = true; // aligned with the input, so the files can be compared sample by sample
    RenderOutcome result;
    if (!RenderThrough(*session, in, rate, job, false, result, error))
      return BadInput(std::string(run.label) + ": " + error);
    const std::string file = (std::filesystem::path(dir) / run.file).string();
    if (!WriteWavFile(file, result.out, rate, error)) return BadInput(error);
    const auto l = crest(Measure(result.out));
    const double c = ToDb(l.first) - ToDb(l.second);
    std::printf("%-30s %10.2f %10.2f %9.2f %10.2f dB %9d\n", run.label, ToDb(l.first), ToDb(l.second), c,
                c - inCrest, result.latency);
  }
  std::printf("\ncrest change: output crest factor (peak to RMS) minus the input's, measured from the\n"
              "audio; a negative value is peak reduction. The effect's own gain-reduction meters are\n"
              "not visible to a host, so this stands in for them.\n");
  return kExitOK;
}

} // namespace aaxhost
