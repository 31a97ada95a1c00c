#include "AAX_Exception.h"
#include "AAX_Assert.h"

#include <utility>

namespace AAX
{
const char* AsStringResult(AAX_Result result)
{
  switch (result)
  {
  case AAX_SUCCESS:
    return "AAX_SUCCESS";
  case AAX_ERROR_INVALID_PARAMETER_ID:
    return "AAX_ERROR_INVALID_PARAMETER_ID";
  case AAX_ERROR_NULL_OBJECT:
    return "AAX_ERROR_NULL_OBJECT";
  case AAX_ERROR_INVALID_CHUNK_INDEX:
    return "AAX_ERROR_INVALID_CHUNK_INDEX";
  case AAX_ERROR_INVALID_CHUNK_ID:
    return "AAX_ERROR_INVALID_CHUNK_ID";
  case AAX_ERROR_UNIMPLEMENTED:
    return "AAX_ERROR_UNIMPLEMENTED";
  case AAX_ERROR_NOT_INITIALIZED:
    return "AAX_ERROR_NOT_INITIALIZED";
  case AAX_ERROR_UNKNOWN_EXCEPTION:
    return "AAX_ERROR_UNKNOWN_EXCEPTION";
  case AAX_ERROR_ARGUMENT_BUFFER_OVERFLOW:
    return "AAX_ERROR_ARGUMENT_BUFFER_OVERFLOW";
  default:
    return "<unknown error code>";
  }
}

std::string DescribeResult(AAX_Result result)
{
  return std::string(AsStringResult(result)) + " (" + std::to_string(result) + ")";
}

namespace Exception
{
Any::Any(std::string description, std::string function, std::string line)
    : mDescription(std::move(description)), mFunction(std::move(function)), mLine(std::move(line))
{
  mWhat = mDescription;
  if (!mFunction.empty()) mWhat += " func:" + mFunction;
  if (!mLine.empty()) mWhat += " line:" + mLine;
}

ResultError::ResultError(AAX_Result result, std::string function, std::string line)
    : Any(DescribeResult(result), std::move(function), std::move(line)), mResult(result)
{
}
} // namespace Exception
} // namespace AAX

void AAX_CheckedResult::Check(AAX_Result result)
{
  mLastResult = result;
  if (mAccepted.count(result)) return;
  const AAX::Exception::ResultError error(result);
  AAX_TRACE(AAX::kTracePriority_Normal, "AAX_CheckedResult - throwing %s", error.What().c_str());
  throw error;
}
