#include "GlFunctions.h"

#include <cstdint>

namespace kvg
{
namespace
{
// Some drivers answer small integers instead of null for unknown names.
void* Lookup(const char* name)
{
  void* p = GetGlProcAddress(name);
  const auto v = reinterpret_cast<std::intptr_t>(p);
  if (v >= -1 && v <= 3) return nullptr;
  return p;
}

template <typename T> bool Get(T& fn, const char* name, const char** missing)
{
  fn = reinterpret_cast<T>(Lookup(name));
  if (!fn && missing && !*missing) *missing = name;
  return fn != nullptr;
}

// Core name, else the extension's.
template <typename T> bool GetEither(T& fn, const char* core, const char* ext, const char** missing)
{
  fn = reinterpret_cast<T>(Lookup(core));
  if (!fn) fn = reinterpret_cast<T>(Lookup(ext));
  if (!fn && missing && !*missing) *missing = core;
  return fn != nullptr;
}
} // namespace

bool LoadGlFunctions(GlFunctions& gl, const char** missing)
{
  if (missing) *missing = nullptr;
  bool ok = true;
  ok &= Get(gl.ActiveTexture, "glActiveTexture", missing);
  ok &= Get(gl.BlendFuncSeparate, "glBlendFuncSeparate", missing);
  ok &= Get(gl.StencilOpSeparate, "glStencilOpSeparate", missing);
  ok &= Get(gl.CreateShader, "glCreateShader", missing);
  ok &= Get(gl.ShaderSource, "glShaderSource", missing);
  ok &= Get(gl.CompileShader, "glCompileShader", missing);
  ok &= Get(gl.GetShaderiv, "glGetShaderiv", missing);
  ok &= Get(gl.GetShaderInfoLog, "glGetShaderInfoLog", missing);
  ok &= Get(gl.DeleteShader, "glDeleteShader", missing);
  ok &= Get(gl.CreateProgram, "glCreateProgram", missing);
  ok &= Get(gl.AttachShader, "glAttachShader", missing);
  ok &= Get(gl.BindAttribLocation, "glBindAttribLocation", missing);
  ok &= Get(gl.LinkProgram, "glLinkProgram", missing);
  ok &= Get(gl.GetProgramiv, "glGetProgramiv", missing);
  ok &= Get(gl.GetProgramInfoLog, "glGetProgramInfoLog", missing);
  ok &= Get(gl.DeleteProgram, "glDeleteProgram", missing);
  ok &= Get(gl.UseProgram, "glUseProgram", missing);
  ok &= Get(gl.GetUniformLocation, "glGetUniformLocation", missing);
  ok &= Get(gl.Uniform1i, "glUniform1i", missing);
  ok &= Get(gl.Uniform1f, "glUniform1f", missing);
  ok &= Get(gl.Uniform2fv, "glUniform2fv", missing);
  ok &= Get(gl.Uniform4fv, "glUniform4fv", missing);
  ok &= Get(gl.UniformMatrix3fv, "glUniformMatrix3fv", missing);
  ok &= Get(gl.GenBuffers, "glGenBuffers", missing);
  ok &= Get(gl.BindBuffer, "glBindBuffer", missing);
  ok &= Get(gl.BufferData, "glBufferData", missing);
  ok &= Get(gl.DeleteBuffers, "glDeleteBuffers", missing);
  ok &= Get(gl.EnableVertexAttribArray, "glEnableVertexAttribArray", missing);
  ok &= Get(gl.DisableVertexAttribArray, "glDisableVertexAttribArray", missing);
  ok &= Get(gl.VertexAttribPointer, "glVertexAttribPointer", missing);
  ok &= GetEither(gl.GenFramebuffers, "glGenFramebuffers", "glGenFramebuffersEXT", missing);
  ok &= GetEither(gl.BindFramebuffer, "glBindFramebuffer", "glBindFramebufferEXT", missing);
  ok &= GetEither(gl.FramebufferTexture2D, "glFramebufferTexture2D", "glFramebufferTexture2DEXT", missing);
  ok &= GetEither(gl.FramebufferRenderbuffer, "glFramebufferRenderbuffer", "glFramebufferRenderbufferEXT",
                  missing);
  ok &= GetEither(gl.CheckFramebufferStatus, "glCheckFramebufferStatus", "glCheckFramebufferStatusEXT",
                  missing);
  ok &= GetEither(gl.DeleteFramebuffers, "glDeleteFramebuffers", "glDeleteFramebuffersEXT", missing);
  ok &= GetEither(gl.GenRenderbuffers, "glGenRenderbuffers", "glGenRenderbuffersEXT", missing);
  ok &= GetEither(gl.BindRenderbuffer, "glBindRenderbuffer", "glBindRenderbufferEXT", missing);
  ok &= GetEither(gl.RenderbufferStorage, "glRenderbufferStorage", "glRenderbufferStorageEXT", missing);
  ok &= GetEither(gl.DeleteRenderbuffers, "glDeleteRenderbuffers", "glDeleteRenderbuffersEXT", missing);
  return ok;
}

} // namespace kvg
