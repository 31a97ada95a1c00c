// OpenGL entry points above 1.1, looked up once per context through the
// current OpenGL context. The lookup itself (glXGetProcAddress or
// wglGetProcAddress) lives in a file of its own chosen by the build.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

namespace kvg
{

struct GlFunctions
{
  PFNGLACTIVETEXTUREPROC ActiveTexture;
  PFNGLBLENDFUNCSEPARATEPROC BlendFuncSeparate;
  PFNGLSTENCILOPSEPARATEPROC StencilOpSeparate;
  PFNGLCREATESHADERPROC CreateShader;
  PFNGLSHADERSOURCEPROC ShaderSource;
  PFNGLCOMPILESHADERPROC CompileShader;
  PFNGLGETSHADERIVPROC GetShaderiv;
  PFNGLGETSHADERINFOLOGPROC GetShaderInfoLog;
  PFNGLDELETESHADERPROC DeleteShader;
  PFNGLCREATEPROGRAMPROC CreateProgram;
  PFNGLATTACHSHADERPROC AttachShader;
  PFNGLBINDATTRIBLOCATIONPROC BindAttribLocation;
  PFNGLLINKPROGRAMPROC LinkProgram;
  PFNGLGETPROGRAMIVPROC GetProgramiv;
  PFNGLGETPROGRAMINFOLOGPROC GetProgramInfoLog;
  PFNGLDELETEPROGRAMPROC DeleteProgram;
  PFNGLUSEPROGRAMPROC UseProgram;
  PFNGLGETUNIFORMLOCATIONPROC GetUniformLocation;
  PFNGLUNIFORM1IPROC Uniform1i;
  PFNGLUNIFORM1FPROC Uniform1f;
  PFNGLUNIFORM2FVPROC Uniform2fv;
  PFNGLUNIFORM4FVPROC Uniform4fv;
  PFNGLUNIFORMMATRIX3FVPROC UniformMatrix3fv;
  PFNGLGENBUFFERSPROC GenBuffers;
  PFNGLBINDBUFFERPROC BindBuffer;
  PFNGLBUFFERDATAPROC BufferData;
  PFNGLDELETEBUFFERSPROC DeleteBuffers;
  PFNGLENABLEVERTEXATTRIBARRAYPROC EnableVertexAttribArray;
  PFNGLDISABLEVERTEXATTRIBARRAYPROC DisableVertexAttribArray;
  PFNGLVERTEXATTRIBPOINTERPROC VertexAttribPointer;
  // Framebuffer objects: core names first, then the EXT extension's.
  PFNGLGENFRAMEBUFFERSPROC GenFramebuffers;
  PFNGLBINDFRAMEBUFFERPROC BindFramebuffer;
  PFNGLFRAMEBUFFERTEXTURE2DPROC FramebufferTexture2D;
  PFNGLFRAMEBUFFERRENDERBUFFERPROC FramebufferRenderbuffer;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC CheckFramebufferStatus;
  PFNGLDELETEFRAMEBUFFERSPROC DeleteFramebuffers;
  PFNGLGENRENDERBUFFERSPROC GenRenderbuffers;
  PFNGLBINDRENDERBUFFERPROC BindRenderbuffer;
  PFNGLRENDERBUFFERSTORAGEPROC RenderbufferStorage;
  PFNGLDELETERENDERBUFFERSPROC DeleteRenderbuffers;
};

// Whether an OpenGL context is current on the calling thread (platform file).
bool HasCurrentGlContext();
// The address of an entry point of the current context, or null (platform file).
void* GetGlProcAddress(const char* name);

// Fills every entry point; false with the first missing name in *missing.
bool LoadGlFunctions(GlFunctions& gl, const char** missing);

} // namespace kvg
