#include "AAXHostDescription.h"

#include <cstdio>
#include <sstream>

namespace aaxhost
{

const FieldRecord* ComponentRecord::FindField(int32_t index) const
{
  for (const auto& f : fields)
    if (f.index == index) return &f;
  return nullptr;
}

bool ComponentRecord::Property(int32_t id, int32_t& value) const
{
  for (const auto& p : properties)
    if (p.first == id)
    {
      value = p.second;
      return true;
    }
  return false;
}

AAX_EStemFormat ComponentRecord::InputStemFormat() const
{
  int32_t v = AAX_eStemFormat_None;
  return Property(51, v) ? v : AAX_eStemFormat_None;
}

AAX_EStemFormat ComponentRecord::OutputStemFormat() const
{
  int32_t v = AAX_eStemFormat_None;
  return Property(52, v) ? v : AAX_eStemFormat_None;
}

int ComponentRecord::NumContextFields() const
{
  int n = 0;
  for (const auto& f : fields)
    if (f.index + 1 > n) n = f.index + 1;
  return n;
}

AAX_CProcPtr EffectRecord::ProcPtr(int32_t procID) const
{
  for (const auto& p : procPtrs)
    if (p.first == procID) return p.second;
  return nullptr;
}

int EffectRecord::ComponentForChannels(int channels) const
{
  for (size_t i = 0; i < components.size(); ++i)
  {
    const AAX_EStemFormat in = components[i].InputStemFormat();
    if (in != AAX_eStemFormat_None && AAX_StemFormatChannelCount(in) == channels) return static_cast<int>(i);
  }
  return -1;
}

Description Description::FromCollection(const HostCollection& collection)
{
  Description d;
  d.manufacturerName = collection.mManufacturerName;
  d.packageNames = collection.mPackageNames;
  d.packageVersion = collection.mPackageVersion;
  d.packageVersionSet = collection.mVersionSet;
  for (const auto& e : collection.mEffects)
  {
    EffectRecord er;
    er.id = e.first;
    er.names = e.second->mNames;
    er.categories = e.second->mCategories;
    er.procPtrs = e.second->mProcPtrs;
    for (const auto& c : e.second->mComponents)
    {
      ComponentRecord cr;
      cr.fields = c->mFields;
      cr.auxStems = c->mAuxStems;
      cr.problems = c->mProblems;
      cr.numProcessProcs = static_cast<int>(c->mProcs.size());
      if (!c->mProcs.empty())
      {
        const auto& p = c->mProcs.front();
        cr.processProc = p.proc;
        cr.hasInitProc = p.init != nullptr;
        cr.hasBackgroundProc = p.background != nullptr;
        if (p.properties) cr.properties = p.properties->mProperties;
      }
      er.components.push_back(std::move(cr));
    }
    d.effects.push_back(std::move(er));
  }
  return d;
}

std::string FourCC(uint32_t code)
{
  std::string s;
  for (int shift = 24; shift >= 0; shift -= 8)
  {
    const unsigned char c = static_cast<unsigned char>((code >> shift) & 0xFF);
    if (c >= 32 && c < 127 && c != '"' && c != '\\')
      s += static_cast<char>(c);
    else
    {
      char buf[8];
      std::snprintf(buf, sizeof(buf), "\\x%02X", c);
      s += buf;
    }
  }
  return s;
}

std::string StemFormatName(int32_t format)
{
  if (format == AAX_eStemFormat_Mono) return "mono";
  if (format == AAX_eStemFormat_Stereo) return "stereo";
  if (format == AAX_eStemFormat_None) return "none";
  return std::to_string(format);
}

namespace
{
// Minimal JSON writer: objects and arrays with comma bookkeeping.
class Json
{
public:
  std::string Str() const { return mOut.str(); }

  void Open(char c)
  {
    Comma();
    mOut << c;
    mFirst.push_back(true);
  }
  void Close(char c)
  {
    mFirst.pop_back();
    Newline();
    mOut << c;
  }
  void Key(const char* k)
  {
    Comma();
    Quote(k);
    mOut << ": ";
    mAfterKey = true;
  }
  void Value(const std::string& s)
  {
    Comma();
    Quote(s);
  }
  void Value(const char* s) { Value(std::string(s)); }
  void Value(long long v)
  {
    Comma();
    mOut << v;
  }
  void ValueU(unsigned long long v)
  {
    Comma();
    mOut << v;
  }
  void Bool(bool b)
  {
    Comma();
    mOut << (b ? "true" : "false");
  }
  void Pointer(const void* p)
  {
    char buf[32];
    std::snprintf(buf, sizeof(buf), "%p", p);
    Value(p ? std::string(buf) : std::string("null"));
  }

  template <typename V> void Field(const char* k, V v)
  {
    Key(k);
    Value(v);
  }

private:
  void Comma()
  {
    if (mAfterKey)
    {
      mAfterKey = false;
      return;
    }
    if (!mFirst.empty())
    {
      if (!mFirst.back()) mOut << ",";
      mFirst.back() = false;
      Newline();
    }
  }
  void Newline() { mOut << "\n" << std::string(mFirst.size() * 2, ' '); }
  void Quote(const std::string& s)
  {
    mOut << '"';
    for (unsigned char c : s)
    {
      if (c == '"' || c == '\\')
        mOut << '\\' << c;
      else if (c == '\n')
        mOut << "\\n";
      else if (c < 32)
      {
        char buf[8];
        std::snprintf(buf, sizeof(buf), "\\u%04x", c);
        mOut << buf;
      }
      else
        mOut << c;
    }
    mOut << '"';
  }

  std::ostringstream mOut;
  std::vector<bool> mFirst;
  bool mAfterKey = false;
};

const char* PropertyName(int32_t id)
{
  switch (id)
  {
  case 11:
    return "manufacturer_id";
  case 12:
    return "product_id";
  case 13:
    return "plugin_id_native";
  case 14:
    return "plugin_id_audiosuite";
  case 51:
    return "input_stem_format";
  case 52:
    return "output_stem_format";
  case 56:
    return "latency";
  case 60:
    return "can_bypass";
  case 90:
    return "hybrid_output_stem_format";
  case 91:
    return "hybrid_input_stem_format";
  case 116:
    return "side_chain_stem_format";
  case 151:
    return "uses_client_gui";
  case 300:
    return "constraint_location";
  case 304:
    return "multi_mono_support";
  case 306:
    return "uses_transport";
  default:
    return "";
  }
}

bool IsCodeProperty(int32_t id)
{
  return id >= 11 && id <= 14;
}
} // namespace

std::string ToJson(const Description& d)
{
  Json j;
  j.Open('{');
  j.Key("register_result");
  j.Value(static_cast<long long>(d.registerResult));
  j.Key("definition_returned");
  j.Bool(d.definitionReturned);
  j.Key("sdk_version");
  j.ValueU(d.sdkVersion);
  j.Field("manufacturer_name", d.manufacturerName);
  j.Key("package_names");
  j.Open('[');
  for (const auto& n : d.packageNames) j.Value(n);
  j.Close(']');
  j.Key("package_version");
  j.ValueU(d.packageVersion);
  j.Key("effects");
  j.Open('[');
  for (const auto& e : d.effects)
  {
    j.Open('{');
    j.Field("id", e.id);
    j.Key("names");
    j.Open('[');
    for (const auto& n : e.names) j.Value(n);
    j.Close(']');
    j.Key("categories");
    j.Open('[');
    for (auto c : e.categories) j.ValueU(c);
    j.Close(']');
    j.Key("proc_pointers");
    j.Open('[');
    for (const auto& p : e.procPtrs)
    {
      j.Open('{');
      j.Key("id");
      j.Value(static_cast<long long>(p.first));
      j.Key("address");
      j.Pointer(reinterpret_cast<const void*>(p.second));
      j.Close('}');
    }
    j.Close(']');
    j.Key("components");
    j.Open('[');
    for (const auto& c : e.components)
    {
      j.Open('{');
      j.Key("process_proc");
      j.Pointer(reinterpret_cast<const void*>(c.processProc));
      j.Key("process_procs");
      j.Value(static_cast<long long>(c.numProcessProcs));
      j.Key("init_proc");
      j.Bool(c.hasInitProc);
      j.Key("background_proc");
      j.Bool(c.hasBackgroundProc);
      j.Key("fields");
      j.Open('[');
      for (const auto& f : c.fields)
      {
        j.Open('{');
        j.Key("index");
        j.Value(static_cast<long long>(f.index));
        j.Field("kind", f.kind);
        if (f.kind == "midi_node")
        {
          j.Key("node_type");
          j.Value(static_cast<long long>(f.nodeType));
          j.Field("name", f.name);
          j.Key("mask");
          j.ValueU(f.mask);
        }
        else if (f.kind == "private_data")
        {
          j.Key("size");
          j.Value(static_cast<long long>(f.size));
          j.Key("options");
          j.ValueU(f.options);
        }
        else if (f.kind == "data_in_port")
        {
          j.Key("size");
          j.Value(static_cast<long long>(f.size));
          j.Key("port_type");
          j.Value(static_cast<long long>(f.portType));
        }
        else if (f.kind == "meters")
        {
          j.Key("meter_ids");
          j.Open('[');
          for (auto m : f.meterIDs) j.Value(FourCC(m));
          j.Close(']');
        }
        j.Close('}');
      }
      j.Close(']');
      j.Key("aux_output_stems");
      j.Open('[');
      for (const auto& a : c.auxStems)
      {
        j.Open('{');
        j.Key("field");
        j.Value(static_cast<long long>(a.field));
        j.Key("format");
        j.Value(static_cast<long long>(a.format));
        j.Field("name", a.name);
        j.Close('}');
      }
      j.Close(']');
      j.Key("properties");
      j.Open('[');
      for (const auto& p : c.properties)
      {
        j.Open('{');
        j.Key("id");
        j.Value(static_cast<long long>(p.first));
        j.Field("name", PropertyName(p.first));
        j.Key("value");
        j.Value(static_cast<long long>(p.second));
        if (IsCodeProperty(p.first)) j.Field("code", FourCC(static_cast<uint32_t>(p.second)));
        if (p.first == 51 || p.first == 52) j.Field("format", StemFormatName(p.second));
        j.Close('}');
      }
      j.Close(']');
      if (!c.problems.empty())
      {
        j.Key("problems");
        j.Open('[');
        for (const auto& p : c.problems) j.Value(p);
        j.Close(']');
      }
      j.Close('}');
    }
    j.Close(']');
    j.Close('}');
  }
  j.Close(']');
  j.Close('}');
  return j.Str() + "\n";
}

} // namespace aaxhost
