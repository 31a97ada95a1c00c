// The threads check of the validate battery: parameter changes and state
// saves from a second thread while audio renders. Also run under
// ThreadSanitizer (label concurrency), which is what finds the races.
#include "AAXHostTestModule.h"
#include "AAXHostValidate.h"

TEST(AAXHostThreads, ParameterChangesAndStateSavesWhileRendering)
{
  REQUIRE_MODULE();
  const aaxhost::CheckResult r = aaxhost::CheckThreads(ModulePath(), 200);
  EXPECT_TRUE(r.pass) << r.detail;
}
