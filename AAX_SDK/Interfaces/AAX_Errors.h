// Result codes of every operation that crosses the module boundary. 32-bit
// signed; 0 is success and failures lie from -20001 to -20046.
#pragma once

#include <cstdint>

using AAX_Result = int32_t;

enum AAX_EError : int32_t
{
  AAX_SUCCESS = 0,
  AAX_ERROR_INVALID_PARAMETER_ID = -20001,
  AAX_ERROR_NULL_OBJECT = -20004,
  AAX_ERROR_INVALID_CHUNK_INDEX = -20006,
  AAX_ERROR_INVALID_CHUNK_ID = -20007,
  AAX_ERROR_UNIMPLEMENTED = -20009,
  AAX_ERROR_NOT_INITIALIZED = -20011,
  AAX_ERROR_UNKNOWN_EXCEPTION = -20042,
  AAX_ERROR_ARGUMENT_BUFFER_OVERFLOW = -20046
};

// Codes in the failure range that this module answers but has no name for;
// they are described by their number.
constexpr AAX_Result kAAXResult_TextConversionFailed = -20002; // text <-> value conversion failed
constexpr AAX_Result kAAXResult_Int32Overflow = -20033;        // a count does not fit a signed 32-bit value

constexpr AAX_Result kAAXResult_FirstFailure = -20001;
constexpr AAX_Result kAAXResult_LastFailure = -20046;
