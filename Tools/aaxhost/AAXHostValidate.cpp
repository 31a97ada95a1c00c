#include "AAXHostValidate.h"
#include "AAXHostAudio.h"
#include "AAXHostRealtime.h"
#include "AAXHostSession.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <sstream>
#include <thread>

namespace aaxhost
{

namespace
{
const double kRates[] = {44100., 48000., 88200., 96000., 192000.};

CheckResult Result(int number, const char* name)
{
  CheckResult r;
  r.number = number;
  r.name = name;
  return r;
}

CheckResult& Fail(CheckResult& r, const std::string& why)
{
  r.pass = false;
  r.detail = why;
  return r;
}

CheckResult& Pass(CheckResult& r, const std::string& detail = std::string())
{
  r.pass = true;
  r.detail = detail;
  return r;
}

std::string Num(double v)
{
  std::ostringstream s;
  s << v;
  return s.str();
}

// Opens the module with messages to standard error; null with why set on failure.
std::unique_ptr<Session> OpenSession(const std::string& module, std::string& why, FILE* messages = stderr)
{
  return Session::Open(module, why, messages);
}

int PeakIndex(const std::vector<float>& x)
{
  int best = 0;
  for (int i = 1; i < static_cast<int>(x.size()); ++i)
    if (std::fabs(x[static_cast<size_t>(i)]) > std::fabs(x[static_cast<size_t>(best)])) best = i;
  return best;
}

// Sets a parameter by host name and text value; false with why set.
bool SetByName(Instance& inst, const std::string& name, const std::string& text, std::string& why)
{
  std::string id;
  if (!inst.FindParameter(name, id))
  {
    why = "no parameter named \"" + name + "\"";
    return false;
  }
  std::string error;
  if (!inst.SetParameterFromText(id, text, error))
  {
    why = name + "=" + text + ": " + error;
    return false;
  }
  return true;
}

AudioBuffer TestSignal(int channels, size_t frames, double rate)
{
  AudioBuffer b = Noise(channels, frames, 0.25f, 7);
  for (int c = 0; c < channels; ++c)
    for (size_t i = 0; i < frames; ++i)
      b[static_cast<size_t>(c)][i] +=
          static_cast<float>(0.4 * std::sin(6.283185307179586 * 220. * i / rate + c));
  return b;
}
} // namespace

// 1 ---------------------------------------------------------------------------
CheckResult CheckDescription(const std::string& module)
{
  CheckResult r = Result(1, "description");
  std::string why;
  auto session = OpenSession(module, why);
  if (!session) return Fail(r, why);
  const Description& d = session->GetDescription();
  if (d.registerResult != 0) return Fail(r, "ACFRegisterPlugin answered " + std::to_string(d.registerResult));
  if (!d.definitionReturned) return Fail(r, "the registration did not hand back the host's collection");
  if (d.sdkVersionResult != 0 || d.sdkVersion == 0) return Fail(r, "ACFGetSDKVersion gave no version");
  if (d.effects.size() != 1)
    return Fail(r, std::to_string(d.effects.size()) + " effects described, expected 1");
  const EffectRecord& e = d.effects[0];
  if (e.id != "com.Marlowfen.aax.Kestrine") return Fail(r, "effect id \"" + e.id + "\"");
  if (e.names != std::vector<std::string>{"Kestrine", "Kestrine"})
    return Fail(r, "effect names are not Kestrine, Kestrine");
  if (d.packageNames != std::vector<std::string>{"Kestrine", "Kestrine"})
    return Fail(r, "package names are not Kestrine, Kestrine");
  if (d.manufacturerName != "Mwfn") return Fail(r, "manufacturer name \"" + d.manufacturerName + "\"");
  if (d.packageVersion != 65537) return Fail(r, "package version " + std::to_string(d.packageVersion));
  if (e.categories != std::vector<uint32_t>{64}) return Fail(r, "category is not 64 alone");
  if (!e.ProcPtr(0) || !e.ProcPtr(1)) return Fail(r, "factory callbacks 0 and 1 not both registered");
  if (e.components.size() != 2)
    return Fail(r, std::to_string(e.components.size()) + " components, expected 2");
  const AAX_EStemFormat formats[2] = {AAX_eStemFormat_Mono, AAX_eStemFormat_Stereo};
  for (size_t i = 0; i < 2; ++i)
  {
    const ComponentRecord& c = e.components[i];
    const std::string where = "component " + std::to_string(i) + ": ";
    if (!c.problems.empty()) return Fail(r, where + c.problems.front());
    if (!c.processProc || c.numProcessProcs != 1) return Fail(r, where + "not exactly one render callback");
    int32_t v = 0;
    auto prop = [&](int32_t id, int32_t expected, const std::string& what)
    {
      if (!c.Property(id, v)) return where + what + " (property " + std::to_string(id) + ") missing";
      if (v != expected)
        return where + what + " (property " + std::to_string(id) + ") is " + std::to_string(v) +
               ", expected " + std::to_string(expected);
      return std::string();
    };
    for (const std::string& problem :
         {prop(51, formats[i], "input stem format"), prop(52, formats[i], "output stem format"),
          prop(11, static_cast<int32_t>(AAX_FourCharCode("Mwfn")), "manufacturer code"),
          prop(12, static_cast<int32_t>(AAX_FourCharCode("Kzqe")), "product code"),
          prop(13, static_cast<int32_t>(AAX_FourCharCode(i == 0 ? "IEF1" : "IEF2")), "native plug-in code"),
          prop(14, static_cast<int32_t>(AAX_FourCharCode(i == 0 ? "IEA1" : "IEA2")),
               "AudioSuite plug-in code"),
          prop(56, 0, "latency"), prop(60, 1, "can bypass"), prop(300, 1, "location constraint"),
          prop(306, 1, "uses transport")})
      if (!problem.empty()) return Fail(r, problem);
    // Every field the render callback reads.
    struct Need
    {
      int32_t index;
      const char* kind;
      int32_t size;
    };
    const Need needs[] = {{0, "audio_in", 0}, {1, "audio_out", 0},     {2, "buffer_length", 0},
                          {3, "clock", 0},    {23, "private_data", 8}, {25, "data_in_port", 8}};
    for (const Need& n : needs)
    {
      const FieldRecord* f = c.FindField(n.index);
      if (!f) return Fail(r, where + "field " + std::to_string(n.index) + " (" + n.kind + ") not described");
      if (f->kind != n.kind)
        return Fail(r,
                    where + "field " + std::to_string(n.index) + " is " + f->kind + ", expected " + n.kind);
      if (n.size && f->size != n.size)
        return Fail(r, where + "field " + std::to_string(n.index) + " has size " + std::to_string(f->size));
    }
    const FieldRecord* transport = c.FindField(7);
    if (!transport || transport->kind != "midi_node" || transport->nodeType != AAX_eMIDINodeType_Transport)
      return Fail(r, where + "field 7 is not the transport node");
    for (int32_t idx = 0; idx <= 25; ++idx)
      if (!c.FindField(idx)) return Fail(r, where + "field " + std::to_string(idx) + " not described");
    if (c.FindField(26)) return Fail(r, where + "side-chain field 26 described");
  }
  return Pass(r, "1 effect, 2 components (mono IEF1, stereo IEF2), fields 0-25");
}

// 2 ---------------------------------------------------------------------------
CheckResult CheckLoadUnload(const std::string& module, int cycles)
{
  CheckResult r = Result(2, "load and unload");
  for (int i = 0; i < cycles; ++i)
  {
    std::string why;
    auto session = Session::Open(module, why, nullptr);
    if (!session) return Fail(r, "cycle " + std::to_string(i + 1) + ": " + why);
    {
      auto inst = session->CreateInstance(i % 2 ? 2 : 1, 48000., why);
      if (!inst) return Fail(r, "cycle " + std::to_string(i + 1) + ": " + why);
      if (session->CanUnloadNow() == 0)
        return Fail(r, "ACFCanUnloadNow answered 0 while an instance was alive");
    }
    session->ReleaseDescriptionObjects();
    const ACFRESULT can = session->CanUnloadNow();
    if (can != 0)
      return Fail(r, "cycle " + std::to_string(i + 1) + ": ACFCanUnloadNow answered " + std::to_string(can) +
                         " after every instance was gone");
  }
  return Pass(r, std::to_string(cycles) + " cycles");
}

// 3 ---------------------------------------------------------------------------
CheckResult CheckInstances(const std::string& module)
{
  CheckResult r = Result(3, "instances");
  std::string why;
  auto session = OpenSession(module, why);
  if (!session) return Fail(r, why);
  const acfIID bogus[] = {{0xDEADBEEF, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}},
                          {0x00000000, 0x0000, 0x0000, {0, 0, 0, 0, 0, 0, 0, 0}},
                          {0x964E333D, 0x334C, 0x533F, {0xC2, 0xC7, 0x38, 0x34, 0xC3, 0xC2, 0x3E, 0x3F}}};
  for (int channels : {1, 2})
    for (int round = 0; round < 3; ++round)
    {
      auto inst = session->CreateInstance(channels, 48000., why);
      if (!inst) return Fail(r, std::to_string(channels) + " channels: " + why);
      for (const acfIID& iid : bogus)
      {
        void* p = reinterpret_cast<void*>(static_cast<uintptr_t>(0x1));
        const ACFRESULT q = inst->Effect()->QueryInterface(iid, &p);
        if (q != kACFResult_NoInterface || p != nullptr)
          return Fail(r, "QueryInterface with an unknown identifier answered " + std::to_string(q) +
                             (p ? " and a pointer" : ""));
      }
      void* p = nullptr;
      if (inst->Effect()->QueryInterface(IID_AAX_IACFEffectParameters_V4, &p) != kACFResult_OK || !p)
        return Fail(r, "the effect-parameters object does not answer its version 4 identifier");
      static_cast<IACFUnknown*>(p)->Release();
      // The notifications a host sends: offline and online rendering, the track name.
      HostString trackName("Validate track");
      const struct
      {
        const char* type;
        const void* data;
        uint32_t size;
      } notes[] = {{"AXof", nullptr, 0}, {"AXox", nullptr, 0}, {"AXtn", &trackName, sizeof(trackName)}};
      for (const auto& n : notes)
      {
        std::lock_guard<std::mutex> lock(inst->HostLock());
        const AAX_CTypeID type = (AAX_CTypeID(uint8_t(n.type[0])) << 24) |
                                 (AAX_CTypeID(uint8_t(n.type[1])) << 16) |
                                 (AAX_CTypeID(uint8_t(n.type[2])) << 8) | AAX_CTypeID(uint8_t(n.type[3]));
        const AAX_Result q = inst->Effect()->NotificationReceived(type, n.data, n.size);
        if (q != AAX_SUCCESS)
          return Fail(r,
                      std::string("NotificationReceived \"") + n.type + "\" answered " + std::to_string(q));
      }
    }
  return Pass(r, "mono and stereo, 3 each; notifications AXof, AXox, AXtn");
}

// 4 ---------------------------------------------------------------------------
CheckResult CheckParameters(const std::string& module)
{
  CheckResult r = Result(4, "parameters");
  std::string why;
  auto session = OpenSession(module, why);
  if (!session) return Fail(r, why);
  auto inst = session->CreateInstance(2, 48000., why);
  if (!inst) return Fail(r, why);
  const auto params = inst->Parameters();
  if (params.empty()) return Fail(r, "no parameters");
  AAX_IACFEffectParameters* fx = inst->Effect();
  for (const auto& p : params)
  {
    {
      // A control surface's touch and release around a change.
      std::lock_guard<std::mutex> lock(inst->HostLock());
      const int touches = inst->Automation().NumTouches(), releases = inst->Automation().NumReleases();
      if (fx->TouchParameter(p.id.c_str()) != AAX_SUCCESS ||
          fx->ReleaseParameter(p.id.c_str()) != AAX_SUCCESS)
        return Fail(r, "\"" + p.name + "\": touch or release refused");
      if (inst->Automation().NumTouches() != touches + 1 || inst->Automation().NumReleases() != releases + 1)
        return Fail(r, "\"" + p.name + "\": touch and release did not reach the automation once each");
    }
    const std::string who = "\"" + p.name + "\" (id \"" + p.id + "\")";
    const double now = inst->GetNormalized(p.id);
    if (std::fabs(now - p.defaultValue) > 1e-9)
      return Fail(r, who + ": value " + Num(now) + " after initialisation, default " + Num(p.defaultValue));
    for (double v : {0., 0.1, 0.25, 0.5, 0.77, 1.})
    {
      const std::string t1 = inst->ValueText(p.id, v);
      double v1 = -1., v2 = -1.;
      HostString s1(t1.c_str());
      if (fx->GetParameterValueFromString(p.id.c_str(), &v1, s1) != AAX_SUCCESS)
        return Fail(r, who + ": its own text \"" + t1 + "\" is not accepted back");
      const std::string t2 = inst->ValueText(p.id, v1);
      HostString s2(t2.c_str());
      fx->GetParameterValueFromString(p.id.c_str(), &v2, s2);
      if (t1 != t2 || std::fabs(v1 - v2) > 1e-9)
        return Fail(r, who + ": value to text to value is not a fixed point (" + Num(v) + " -> \"" + t1 +
                           "\" -> " + Num(v1) + " -> \"" + t2 + "\" -> " + Num(v2) + ")");
    }
    for (double v : {0., 1.})
    {
      if (inst->SetNormalized(p.id, v) != AAX_SUCCESS) return Fail(r, who + ": " + Num(v) + " refused");
      const double got = inst->GetNormalized(p.id);
      if (std::fabs(got - v) > 1e-9) return Fail(r, who + ": set " + Num(v) + ", reads " + Num(got));
    }
    inst->SetNormalized(p.id, p.defaultValue);
  }
  // The dirty count a host shows: a change made through the host counts.
  int32_t before = -1, after = -1;
  {
    std::lock_guard<std::mutex> lock(inst->HostLock());
    fx->GetNumberOfChanges(&before);
  }
  inst->SetNormalized(params.back().id, params.back().defaultValue > 0.5 ? 0. : 1.);
  {
    std::lock_guard<std::mutex> lock(inst->HostLock());
    fx->GetNumberOfChanges(&after);
  }
  if (after <= before)
    return Fail(r, "GetNumberOfChanges did not grow with a change (" + std::to_string(before) + " -> " +
                       std::to_string(after) + ")");
  return Pass(r, std::to_string(params.size()) + " parameters; touch, release, changes counted");
}

// 5 ---------------------------------------------------------------------------
CheckResult CheckState(const std::string& module)
{
  CheckResult r = Result(5, "state");
  std::string why;
  auto session = OpenSession(module, why);
  if (!session) return Fail(r, why);
  auto a = session->CreateInstance(2, 48000., why);
  if (!a) return Fail(r, why);
  const auto params = a->Parameters();
  // Non-default values everywhere (Mode and the switches included).
  int k = 0;
  for (const auto& p : params)
    if (!p.id.empty()) a->SetNormalized(p.id, std::fmod(0.37 + 0.29 * k++, 1.));
  std::vector<uint8_t> first;
  if (!a->SaveState(first, why)) return Fail(r, why);
  auto b = session->CreateInstance(2, 48000., why);
  if (!b) return Fail(r, why);
  if (b->RestoreState(first.data(), first.size()) != AAX_SUCCESS)
    return Fail(r, "SetChunk refused the saved chunk");
  for (const auto& p : params)
  {
    const double va = a->GetNormalized(p.id), vb = b->GetNormalized(p.id);
    if (va != vb) return Fail(r, "\"" + p.name + "\" restored as " + Num(vb) + ", saved " + Num(va));
  }
  std::vector<uint8_t> second;
  if (!b->SaveState(second, why)) return Fail(r, why);
  if (second != first) return Fail(r, "the second save differs from the first");
  // CompareActiveChunk: the saved chunk is the active state, until a change.
  bool equal = false;
  if (b->CompareState(first.data(), first.size(), equal) != AAX_SUCCESS || !equal)
    return Fail(r, "CompareActiveChunk does not find the restored chunk equal to the active state");
  std::string changed;
  for (const auto& p : params)
    if (!p.id.empty()) changed = p.id;
  b->SetNormalized(changed, b->GetNormalized(changed) > 0.5 ? 0. : 1.);
  if (b->CompareState(first.data(), first.size(), equal) != AAX_SUCCESS || equal)
    return Fail(r, "CompareActiveChunk finds an old chunk equal to a changed state");

  // Hostile chunks: empty, every truncation, 1 MB of random bytes.
  AudioBuffer in = TestSignal(2, 512, 48000.);
  auto rendersFinite = [&](Instance& inst) { return AllFinite(RenderBuffer(inst, in, 512)); };
  for (size_t len = 0; len < first.size(); ++len)
  {
    b->RestoreState(first.data(), len);
    if (!rendersFinite(*b))
      return Fail(r, "non-finite audio after a chunk truncated to " + std::to_string(len));
  }
  std::vector<uint8_t> random(1 << 20);
  uint32_t s = 99;
  for (auto& byte : random)
  {
    s = s * 1664525u + 1013904223u;
    byte = static_cast<uint8_t>(s >> 24);
  }
  b->RestoreState(random.data(), random.size());
  if (!rendersFinite(*b)) return Fail(r, "non-finite audio after 1 MB of random chunk data");
  // Random doubles can be NaN: a chunk of NaN values must not poison the audio either.
  std::vector<uint8_t> nans(first.size(), 0xFF);
  b->RestoreState(nans.data(), nans.size());
  if (!rendersFinite(*b)) return Fail(r, "non-finite audio after a chunk of NaN values");
  return Pass(r, std::to_string(first.size()) +
                     "-byte chunk; compared; truncated, random and NaN chunks survived");
}

// 6 ---------------------------------------------------------------------------
CheckResult CheckLatency(const std::string& module)
{
  CheckResult r = Result(6, "latency");
  std::string why;
  auto session = OpenSession(module, why);
  if (!session) return Fail(r, why);
  std::ostringstream figures;
  for (double rate : kRates)
    for (const char* mode : {"Saturator", "Exciter"})
    {
      auto inst = session->CreateInstance(2, rate, why);
      if (!inst) return Fail(r, why);
      if (!SetByName(*inst, "Mode", mode, why)) return Fail(r, why);
      // One block first: a mode change is reported at the end of a block.
      RenderBuffer(*inst, MakeBuffer(2, 512), 512);
      const int latency = inst->Latency();
      const size_t at = 1000;
      AudioBuffer out = RenderBuffer(*inst, Impulse(2, 8192, at, 0.25f), 512);
      const int delay = PeakIndex(out[0]) - static_cast<int>(at);
      if (delay != latency)
        return Fail(r, std::string(mode) + " at " + Num(rate) + " Hz: impulse delayed " +
                           std::to_string(delay) + ", reported latency " + std::to_string(latency));
      figures << (figures.tellp() ? " " : "") << Num(rate / 1000.) << "k/" << mode[0] << "=" << latency;
    }
  // A mode change while rendering reaches the controller.
  auto inst = session->CreateInstance(2, 48000., why);
  if (!inst) return Fail(r, why);
  AudioBuffer noise = TestSignal(2, 512 * 8, 48000.);
  RenderBuffer(*inst, noise, 512);
  const int before = inst->Latency();
  const int reports = inst->Controller().NumLatencyReports();
  if (!SetByName(*inst, "Mode", "Exciter", why)) return Fail(r, why);
  RenderBuffer(*inst, noise, 512);
  if (inst->Controller().NumLatencyReports() == reports || inst->Latency() == before)
    return Fail(r, "a Mode change while rendering did not report a new latency (still " +
                       std::to_string(before) + ")");
  return Pass(r, figures.str() + "; mode change reported " + std::to_string(before) + " -> " +
                     std::to_string(inst->Latency()));
}

// 7 ---------------------------------------------------------------------------
CheckResult CheckBypass(const std::string& module)
{
  CheckResult r = Result(7, "bypass");
  std::string why;
  auto session = OpenSession(module, why);
  if (!session) return Fail(r, why);
  // From the very first sample, with the bypass set before the first block or
  // (the plug-in's own Bypass) between two blocks, at a small and a common
  // block size: the output is the input delayed by the latency reported at
  // the end, with no restart. The host's master bypass runs the frame's
  // pass-through delay, which only holds the input while it is on.
  struct Switch
  {
    const char* name;
    const char* on;
    bool fromStart;
  };
  const Switch switches[] = {
      {"Bypass", "Bypass", true}, {"Bypass", "Bypass", false}, {"Master Bypass", "on", true}};
  for (const char* mode : {"Saturator", "Exciter"})
    for (int channels : {1, 2})
      for (int block : {64, 512})
        for (const Switch& sw : switches)
        {
          const bool fromStart = sw.fromStart;
          auto inst = session->CreateInstance(channels, 48000., why);
          if (!inst) return Fail(r, why);
          if (!SetByName(*inst, "Mode", mode, why)) return Fail(r, why);
          if (fromStart && !SetByName(*inst, sw.name, sw.on, why)) return Fail(r, why);
          const size_t frames = 512 * 8, switchAt = fromStart ? 0 : 1024;
          AudioBuffer in = TestSignal(channels, frames, 48000.);
          AudioBuffer out = MakeBuffer(channels, frames);
          for (size_t from = 0; from < frames;)
          {
            const size_t to = from < switchAt ? switchAt : frames;
            AudioBuffer part = MakeBuffer(channels, to - from);
            for (size_t c = 0; c < in.size(); ++c)
              std::copy(in[c].begin() + from, in[c].begin() + to, part[c].begin());
            part = RenderBuffer(*inst, part, block);
            for (size_t c = 0; c < out.size(); ++c)
              std::copy(part[c].begin(), part[c].end(), out[c].begin() + from);
            from = to;
            if (from == switchAt && !SetByName(*inst, sw.name, sw.on, why)) return Fail(r, why);
          }
          const size_t latency = static_cast<size_t>(std::max(0, inst->Latency()));
          for (size_t c = 0; c < out.size(); ++c)
            for (size_t i = switchAt; i < frames; ++i)
            {
              const float expected = i >= latency ? in[c][i - latency] : 0.f;
              if (out[c][i] != expected)
                return Fail(r, std::string(sw.name) + ", " + mode + ", " + std::to_string(channels) +
                                   " ch, block " + std::to_string(block) +
                                   (fromStart ? "" : ", bypass after 1024 frames") + ": sample " +
                                   std::to_string(i) + " is " + Num(out[c][i]) +
                                   ", expected the input delayed by " + std::to_string(latency) + " (" +
                                   Num(expected) + ")");
            }
        }
  return Pass(r, "Bypass and Master Bypass, mono and stereo, both modes, blocks of 64 and 512");
}

// 8 ---------------------------------------------------------------------------
CheckResult CheckProcessMatrix(const std::string& module)
{
  CheckResult r = Result(8, "process matrix");
  std::string why;
  auto session = OpenSession(module, why);
  if (!session) return Fail(r, why);
  int runs = 0;
  for (double rate : kRates)
    for (int block : {1, 17, 64, 512, 4096, 0})
    {
      auto inst = session->CreateInstance(2, rate, why);
      if (!inst) return Fail(r, why);
      // Drive it hard so that the clipper works.
      if (!SetByName(*inst, "Drive", "18", why)) return Fail(r, why);
      const size_t frames = block == 1 ? 1500 : 20000;
      AudioBuffer out = RenderBuffer(*inst, TestSignal(2, frames, rate), block, static_cast<uint32_t>(rate));
      if (!AllFinite(out))
        return Fail(r, "non-finite output at " + Num(rate) + " Hz, block " +
                           (block ? std::to_string(block) : "random"));
      ++runs;
    }

  // Two instances in one render call, as a host renders several tracks: each
  // context reaches its own instance (compared with each rendered alone).
  std::unique_ptr<Instance> together[2], alone[2];
  for (int i = 0; i < 2; ++i)
  {
    together[i] = session->CreateInstance(2, 48000., why);
    alone[i] = session->CreateInstance(2, 48000., why);
    if (!together[i] || !alone[i]) return Fail(r, why);
    const char* drive = i == 0 ? "18" : "-5";
    if (!SetByName(*together[i], "Drive", drive, why) || !SetByName(*alone[i], "Drive", drive, why))
      return Fail(r, why);
  }
  const AudioBuffer in = TestSignal(2, 512 * 8, 48000.);
  AudioBuffer outTogether[2] = {MakeBuffer(2, Frames(in)), MakeBuffer(2, Frames(in))};
  for (size_t pos = 0; pos < Frames(in); pos += 512)
  {
    const float* inPtrs[2] = {in[0].data() + pos, in[1].data() + pos};
    float* outPtrs[2][2] = {{outTogether[0][0].data() + pos, outTogether[0][1].data() + pos},
                            {outTogether[1][0].data() + pos, outTogether[1][1].data() + pos}};
    Instance::ProcessTogether({together[0].get(), together[1].get()}, {inPtrs, inPtrs},
                              {outPtrs[0], outPtrs[1]}, 512);
  }
  for (int i = 0; i < 2; ++i)
    if (outTogether[i] != RenderBuffer(*alone[i], in, 512))
      return Fail(r, "instance " + std::to_string(i) +
                         " of a two-context render call differs from it rendered alone");

  // A render call whose state number lags the latest generated one.
  auto lagging = session->CreateInstance(2, 48000., why);
  if (!lagging || !SetByName(*lagging, "Drive", "12", why)) return Fail(r, why);
  AudioBuffer lagged = MakeBuffer(2, 512);
  const float* lagIn[2] = {in[0].data(), in[1].data()};
  float* lagOut[2] = {lagged[0].data(), lagged[1].data()};
  lagging->Process(lagIn, lagOut, 512, 1);
  if (!AllFinite(lagged) || !AllFinite(RenderBuffer(*lagging, in, 512)))
    return Fail(r, "non-finite output around a render call with a lagging state number");
  return Pass(r, std::to_string(runs) + " combinations; two contexts in one call; a lagging state number");
}

// 9 ---------------------------------------------------------------------------
CheckResult CheckNonFinite(const std::string& module)
{
  CheckResult r = Result(9, "non-finite input");
  std::string why;
  auto session = OpenSession(module, why);
  if (!session) return Fail(r, why);
  const size_t block = 512;
  for (const char* mode : {"Saturator", "Exciter"})
  {
    auto inst = session->CreateInstance(2, 48000., why);
    if (!inst) return Fail(r, why);
    if (!SetByName(*inst, "Mode", mode, why)) return Fail(r, why);
    AudioBuffer in = TestSignal(2, block * 20, 48000.);
    // A NaN burst in block 4, an Inf burst (both signs) in block 12.
    for (auto& ch : in)
    {
      for (size_t i = 0; i < 37; ++i) ch[block * 4 + 100 + i] = std::nanf("");
      for (size_t i = 0; i < 29; ++i) ch[block * 12 + 300 + i] = i % 2 ? INFINITY : -INFINITY;
    }
    AudioBuffer out = RenderBuffer(*inst, in, static_cast<int>(block));
    // Finite again from the end of the block after the burst's block.
    auto finiteIn = [&](size_t from, size_t to)
    {
      for (const auto& ch : out)
        for (size_t i = from; i < to; ++i)
          if (!std::isfinite(ch[i])) return false;
      return true;
    };
    if (!finiteIn(0, block * 4)) return Fail(r, std::string(mode) + ": non-finite output before any burst");
    if (!finiteIn(block * 6, block * 12))
      return Fail(r, std::string(mode) + ": output still non-finite more than one block after a NaN burst");
    if (!finiteIn(block * 14, block * 20))
      return Fail(r, std::string(mode) + ": output still non-finite more than one block after an Inf burst");
  }
  return Pass(r, "NaN and Inf bursts, both modes");
}

// 10 --------------------------------------------------------------------------
CheckResult CheckDenormals(const std::string& module)
{
  CheckResult r = Result(10, "denormal input");
  std::string why;
  auto session = OpenSession(module, why);
  if (!session) return Fail(r, why);
  auto inst = session->CreateInstance(2, 48000., why);
  if (!inst) return Fail(r, why);
  const size_t frames = 48000;
  AudioBuffer silence = MakeBuffer(2, frames);
  AudioBuffer tiny = Noise(2, frames, 1e-39f, 3); // below the smallest normal float
  auto timeIt = [&](const AudioBuffer& in)
  {
    const double t0 = ThreadSeconds();
    RenderBuffer(*inst, in, 512);
    return ThreadSeconds() - t0;
  };
  timeIt(silence); // warm up
  double bestSilence = 1e9, bestTiny = 1e9;
  for (int i = 0; i < 3; ++i)
  {
    bestSilence = std::min(bestSilence, timeIt(silence));
    bestTiny = std::min(bestTiny, timeIt(tiny));
  }
  const double ratio = bestTiny / bestSilence;
  const std::string figures = "silence " + Num(std::round(bestSilence * 1e4) / 10.) + " ms, denormals " +
                              Num(std::round(bestTiny * 1e4) / 10.) + " ms per second of audio, ratio " +
                              Num(std::round(ratio * 100.) / 100.);
  if (ratio > 2.) return Fail(r, figures);
  return Pass(r, figures);
}

// 11 --------------------------------------------------------------------------
CheckResult CheckRealtime(const std::string& module)
{
  CheckResult r = Result(11, "real time");
  RealtimeProbe* probe = RealtimeProbe::Get();
  if (!probe)
  {
    r.skipped = true;
    r.pass = true;
    r.detail =
        "not checked: the interposer is built only into the native Linux executable without sanitizers";
    return r;
  }
  std::string why;
  auto session = OpenSession(module, why);
  if (!session) return Fail(r, why);
  auto inst = session->CreateInstance(2, 48000., why);
  if (!inst) return Fail(r, why);
  AudioBuffer in = TestSignal(2, 512, 48000.);
  RenderBuffer(*inst, in, 512); // the first block may allocate
  probe->Reset();
  inst->SetRealtimeWatch(true);
  // Parameter changes between blocks, as automation would make them (not
  // Mode: a longer latency may grow the delay lines).
  const char* settings[][2] = {{"Drive", "12"},         {"LowTrim", "-4"},           {"HighTrim", "5"},
                               {"IOTrim", "-2"},        {"HighEQ", "2000"},          {"LowEQ", "300"},
                               {"Master Bypass", "on"}, {"Master Bypass", "bypass"}, {"Drive", "-5"}};
  for (int i = 0; i < 200; ++i)
  {
    if (i % 20 == 10)
    {
      const auto& s = settings[(i / 20) % (sizeof(settings) / sizeof(settings[0]))];
      SetByName(*inst, s[0], s[1], why);
    }
    RenderBuffer(*inst, in, 512);
  }
  inst->SetRealtimeWatch(false);
  const int n = probe->NumViolations();
  if (n > 0)
    return Fail(r,
                std::to_string(n) + " forbidden call(s) on the render thread; first:\n" + probe->Describe(0));
  return Pass(r, "200 render calls without allocation, lock or blocking call");
}

// 12 --------------------------------------------------------------------------
CheckResult CheckThreads(const std::string& module, int blocks)
{
  CheckResult r = Result(12, "threads");
  std::string why;
  auto session = OpenSession(module, why);
  if (!session) return Fail(r, why);
  auto inst = session->CreateInstance(2, 48000., why);
  if (!inst) return Fail(r, why);
  const auto params = inst->Parameters();
  std::atomic<bool> done{false};
  std::atomic<int> changes{0}, saves{0}, failures{0};
  std::thread other(
      [&]
      {
        uint32_t s = 5;
        std::vector<uint8_t> state;
        std::string error;
        while (!done.load())
        {
          s = s * 1664525u + 1013904223u;
          const auto& p = params[(s >> 8) % params.size()];
          inst->SetNormalized(p.id, static_cast<double>((s >> 12) % 1000) / 999.);
          changes.fetch_add(1);
          if ((s >> 20) % 4 == 0)
          {
            if (inst->SaveState(state, error))
              saves.fetch_add(1);
            else
              failures.fetch_add(1);
            if ((s >> 22) % 2 == 0) inst->RestoreState(state.data(), state.size());
          }
          std::this_thread::yield();
        }
      });
  AudioBuffer in = TestSignal(2, 512, 48000.);
  bool finite = true;
  for (int i = 0; i < blocks; ++i) finite = AllFinite(RenderBuffer(*inst, in, 512)) && finite;
  done.store(true);
  other.join();
  if (failures.load()) return Fail(r, std::to_string(failures.load()) + " state saves failed");
  if (!finite) return Fail(r, "non-finite output while another thread changed parameters");
  return Pass(r, std::to_string(blocks) + " blocks rendered during " + std::to_string(changes.load()) +
                     " parameter changes and " + std::to_string(saves.load()) + " state saves");
}

bool Validate(const std::string& module, FILE* out)
{
  using Check = CheckResult (*)(const std::string&);
  const Check checks[] = {CheckDescription, [](const std::string& m) { return CheckLoadUnload(m); },
                          CheckInstances,   CheckParameters,
                          CheckState,       CheckLatency,
                          CheckBypass,      CheckProcessMatrix,
                          CheckNonFinite,   CheckDenormals,
                          CheckRealtime,    [](const std::string& m) { return CheckThreads(m); }};
  bool ok = true;
  for (Check check : checks)
  {
    CheckResult res = check(module);
    const char* verdict = res.skipped ? "SKIP" : (res.pass ? "PASS" : "FAIL");
    std::fprintf(out, "%s %2d %s%s%s\n", verdict, res.number, res.name.c_str(),
                 res.detail.empty() ? "" : ": ", res.detail.c_str());
    std::fflush(out);
    ok = ok && res.pass;
  }
  return ok;
}

} // namespace aaxhost
