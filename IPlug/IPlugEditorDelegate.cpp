#include "IPlugEditorDelegate.h"

namespace iplug
{

IEditorDelegate::IEditorDelegate(int nParams)
{
  mParams.reserve(static_cast<size_t>(nParams > 0 ? nParams : 0));
  for (int i = 0; i < nParams; ++i) mParams.push_back(std::make_unique<IParam>());
}

IEditorDelegate::~IEditorDelegate()
{
  // Parameters go last first.
  while (!mParams.empty()) mParams.pop_back();
}

IParam* IEditorDelegate::ParamAt(int paramIdx)
{
  return paramIdx >= 0 && paramIdx < ParamCount() ? mParams[static_cast<size_t>(paramIdx)].get() : nullptr;
}

const IParam* IEditorDelegate::ParamAt(int paramIdx) const
{
  return paramIdx >= 0 && paramIdx < ParamCount() ? mParams[static_cast<size_t>(paramIdx)].get() : nullptr;
}

void* IEditorDelegate::OpenEditor(void*)
{
  EditorOpened();
  return nullptr;
}

void IEditorDelegate::CloseEditor()
{
  EditorClosed();
}

void IEditorDelegate::EditorOpened()
{
  for (int i = 0; i < ParamCount(); ++i)
    ParamValueToEditor(i, mParams[static_cast<size_t>(i)]->GetNormal(), true);
}

void IEditorDelegate::OnParamChange(int paramIdx, int, int)
{
  OnParamChange(paramIdx);
}

void IEditorDelegate::ParamsReset(int source)
{
  for (int i = 0; i < ParamCount(); ++i)
  {
    OnParamChange(i, source, -1);
    OnParamChangeUI(i, source);
  }
}

bool IEditorDelegate::EditorMessage(int, int, int, const void*)
{
  return false;
}

bool IEditorDelegate::EditorKeyDown(int)
{
  return false;
}

bool IEditorDelegate::EditorKeyUp(int)
{
  return false;
}

void IEditorDelegate::ControlValueToEditor(int, double) {}

void IEditorDelegate::ControlMessageToEditor(int ctrlTag, int msgTag, int dataSize, const void* pData)
{
  EditorMessage(msgTag, ctrlTag, dataSize, pData);
}

void IEditorDelegate::MessageToEditor(int msgTag, int dataSize, const void* pData)
{
  EditorMessage(msgTag, -1, dataSize, pData);
}

void IEditorDelegate::ParamValueToEditor(int paramIdx, double, bool)
{
  OnParamChangeUI(paramIdx, kDelegate);
}

void IEditorDelegate::ParamValueFromEditor(int paramIdx, double normalizedValue)
{
  if (IParam* p = ParamAt(paramIdx)) p->SetNormal(normalizedValue);
  OnParamChangeUI(paramIdx, kUI);
}

bool IEditorDelegate::ResizeFromEditor(int, int, bool)
{
  return false;
}

void IEditorDelegate::MessageFromEditor(int, int, int, const void*) {}

} // namespace iplug
