// Exceptions used inside the module (never across its boundary: every entry
// the host calls converts them into result codes) and the result guard of
// the description code.
#pragma once

#include "AAX_Errors.h"

#include <set>
#include <string>

namespace AAX
{
// Name of a result code: "AAX_SUCCESS", "AAX_ERROR_..." for the named codes,
// "<unknown error code>" for any other (described by its number through
// DescribeResult).
const char* AsStringResult(AAX_Result result);
// Name followed by " (", the decimal code and ")".
std::string DescribeResult(AAX_Result result);

namespace Exception
{
class Any
{
public:
  explicit Any(std::string description, std::string function = std::string(),
               std::string line = std::string());
  virtual ~Any() = default;

  const std::string& Description() const { return mDescription; }
  const std::string& Function() const { return mFunction; }
  const std::string& Line() const { return mLine; }
  // The description, then " func:" and the function text when given, then
  // " line:" and the line text when given.
  const std::string& What() const { return mWhat; }

private:
  std::string mDescription;
  std::string mFunction;
  std::string mLine;
  std::string mWhat;
};

class ResultError : public Any
{
public:
  explicit ResultError(AAX_Result result, std::string function = std::string(),
                       std::string line = std::string());
  AAX_Result Result() const { return mResult; }

private:
  AAX_Result mResult;
};
} // namespace Exception
} // namespace AAX

// Holds the last result; storing a result outside the accepted set (0 at
// first) traces "AAX_CheckedResult - throwing <description>" and throws
// AAX::Exception::ResultError with that code. Registration thread only.
class AAX_CheckedResult
{
public:
  AAX_CheckedResult() = default;
  AAX_CheckedResult(AAX_Result result) { Check(result); }
  AAX_CheckedResult& operator=(AAX_Result result)
  {
    Check(result);
    return *this;
  }

  void AddAcceptedResult(AAX_Result result) { mAccepted.insert(result); }
  void ResetAcceptedResults() { mAccepted = {AAX_SUCCESS}; }
  AAX_Result Result() const { return mLastResult; }
  operator AAX_Result() const { return mLastResult; }
  void Clear() { mLastResult = AAX_SUCCESS; }

private:
  void Check(AAX_Result result);

  AAX_Result mLastResult = AAX_SUCCESS;
  std::set<AAX_Result> mAccepted{AAX_SUCCESS};
};
