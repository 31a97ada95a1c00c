// Compares a picture the host wrote with a stored one, channel by channel.
// Shared by the native and the Windows (Wine) snapshot tests.
#pragma once

#include <string>

#include <gtest/gtest.h>

namespace aaxhost_test
{

// Largest difference per 8-bit channel: the drawing backend's own goldens
// allow the same for antialiased edges on another Mesa release.
constexpr int kPictureTolerance = 4;

// Success when drawn (a PNG file) is width x height and matches golden
// within the tolerance; the failure says what differs. The drawn file is
// removed when it matches.
testing::AssertionResult PictureMatches(const std::string& drawn, const std::string& golden, int width,
                                        int height);

} // namespace aaxhost_test
