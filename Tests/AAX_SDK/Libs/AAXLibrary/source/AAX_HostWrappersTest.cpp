#include "AAXTestHost.h"

#include "AAX_Assert.h"
#include "AAX_Exception.h"
#include "AAX_VCollection.h"
#include "AAX_VController.h"
#include "CACFUnknown.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
class ViewContainerV1 : public aaxtest::HostObject<AAX_IViewContainer>
{
public:
  int32_t GetType() override { return 1; }
  void* GetPtr() override { return this; }
  AAX_Result GetModifiers(uint32_t* m) override
  {
    *m = 4;
    return AAX_SUCCESS;
  }
  AAX_Result SetViewSize(AAX_Point& size) override
  {
    mSize = size;
    return AAX_SUCCESS;
  }
  AAX_Point mSize;

protected:
  void* Find(const acfIID& iid) override
  {
    if (iid == IID_AAX_IViewContainer) return static_cast<AAX_IViewContainer*>(this);
    return HostObject::Find(iid);
  }
};

class ViewContainerV2 : public aaxtest::HostObject<AAX_IViewContainer_V2>
{
public:
  int32_t GetType() override { return 1; }
  void* GetPtr() override { return nullptr; }
  AAX_Result GetModifiers(uint32_t*) override { return AAX_SUCCESS; }
  AAX_Result SetViewSize(AAX_Point&) override { return AAX_SUCCESS; }
  AAX_Result HandleParameterMouseDown(AAX_CParamID, uint32_t) override { return AAX_SUCCESS; }
  AAX_Result HandleParameterMouseDrag(AAX_CParamID, uint32_t) override { return AAX_SUCCESS; }
  AAX_Result HandleParameterMouseUp(AAX_CParamID, uint32_t) override { return 1; }

protected:
  void* Find(const acfIID& iid) override
  {
    if (iid == IID_AAX_IViewContainer || iid == IID_AAX_IViewContainer_V2)
      return static_cast<AAX_IViewContainer_V2*>(this);
    return HostObject::Find(iid);
  }
};

// A host factory that can refuse one class.
class Factory : public aaxtest::HostObject<IACFComponentFactory>
{
public:
  ACFRESULT CreateComponent(const acfCLSID& clsid, IACFUnknown*, const acfIID&, void** ppv) override
  {
    *ppv = nullptr;
    if (clsid == mRefused) return kACFResult_NoInterface;
    if (clsid == CLSID_AAX_Collection)
    {
      *ppv = static_cast<AAX_ICollection*>(&mCollection);
      mCollection.AddRef();
      return kACFResult_OK;
    }
    return kACFResult_NoInterface; // the descriptors themselves are not needed here
  }

  class Collection : public aaxtest::HostObject<AAX_ICollection>
  {
  public:
    AAX_Result AddEffect(const char*, IACFUnknown*) override { return AAX_SUCCESS; }
    AAX_Result SetManufacturerName(const char* name) override
    {
      mManufacturer = name;
      return AAX_SUCCESS;
    }
    AAX_Result AddPackageName(const char*) override { return AAX_SUCCESS; }
    AAX_Result SetPackageVersion(uint32_t) override { return AAX_SUCCESS; }
    std::string mManufacturer;
  } mCollection;
  acfCLSID mRefused = {};

protected:
  void* Find(const acfIID& iid) override
  {
    if (iid == IID_IACFComponentFactory) return static_cast<IACFComponentFactory*>(this);
    return HostObject::Find(iid);
  }
};
} // namespace

TEST(AAXHostWrappers, NewerOperationsDistinguishOlderVersionFromNone)
{
  ViewContainerV1 v1;
  ViewContainerV2 v2;
  struct
  {
    const char* name;
    IACFUnknown* object;
    AAX_Result setSize;
    AAX_Result mouseDown;
    AAX_Result mouseUp;
  } cases[] = {{"none", nullptr, AAX_ERROR_NULL_OBJECT, AAX_ERROR_NULL_OBJECT, AAX_ERROR_NULL_OBJECT},
               {"v1", &v1, AAX_SUCCESS, AAX_ERROR_UNIMPLEMENTED, AAX_ERROR_UNIMPLEMENTED},
               {"v2", &v2, AAX_SUCCESS, AAX_SUCCESS, 1}};
  for (const auto& c : cases)
  {
    AAX_VViewContainer wrapper(c.object);
    AAX_Point size{400.f, 700.f};
    EXPECT_EQ(wrapper.SetViewSize(size), c.setSize) << c.name;
    EXPECT_EQ(wrapper.HandleParameterMouseDown("1", 0), c.mouseDown) << c.name;
    EXPECT_EQ(wrapper.HandleParameterMouseUp("1", 0), c.mouseUp) << c.name;
  }
  EXPECT_EQ(v1.mSize.vert, 400.f);
  EXPECT_EQ(v1.mSize.horz, 700.f);
  EXPECT_EQ(v1.Refs(), 0u);
  EXPECT_EQ(v2.Refs(), 0u);
  EXPECT_EQ(AAX_VViewContainer(nullptr).GetPtr(), nullptr);
}

TEST(AAXHostWrappers, ControllerWithoutInterfaceAnswersNullObject)
{
  aaxtest::HostServices notAController;
  AAX_VController controller(&notAController);
  double rate = 0;
  EXPECT_EQ(controller.GetSampleRate(&rate), AAX_ERROR_NULL_OBJECT);
  EXPECT_EQ(controller.SetSignalLatency(60), AAX_ERROR_NULL_OBJECT);
  AAX_VTransport transport(nullptr);
  EXPECT_EQ(transport.GetCurrentTempo(&rate), AAX_ERROR_NULL_OBJECT);

  aaxtest::Controller host;
  AAX_VController real(&host);
  EXPECT_EQ(real.SetSignalLatency(88), AAX_SUCCESS);
  EXPECT_EQ(host.mLatency, 88);
}

TEST(AAXHostWrappers, CollectionWithoutDescriptorsAnswersNull)
{
  Factory factory;
  {
    AAX_VCollection collection(&factory);
    EXPECT_TRUE(collection.IsSupported());
    EXPECT_EQ(collection.NewDescriptor(), nullptr);
    EXPECT_EQ(collection.SetManufacturerName("Mwfn"), AAX_SUCCESS);
    EXPECT_EQ(collection.AddEffect("id", nullptr), AAX_ERROR_NULL_OBJECT);
  }
  EXPECT_EQ(factory.mCollection.mManufacturer, "Mwfn");
  EXPECT_EQ(factory.Refs(), 0u);
  EXPECT_EQ(factory.mCollection.Refs(), 0u);

  factory.mRefused = CLSID_AAX_Collection;
  AAX_VCollection refused(&factory);
  EXPECT_FALSE(refused.IsSupported());
  EXPECT_EQ(refused.SetPackageVersion(65537), AAX_ERROR_NULL_OBJECT);
}

TEST(AAXResults, Descriptions)
{
  struct
  {
    AAX_Result code;
    const char* text;
  } cases[] = {{0, "AAX_SUCCESS (0)"},
               {-20001, "AAX_ERROR_INVALID_PARAMETER_ID (-20001)"},
               {-20004, "AAX_ERROR_NULL_OBJECT (-20004)"},
               {-20006, "AAX_ERROR_INVALID_CHUNK_INDEX (-20006)"},
               {-20007, "AAX_ERROR_INVALID_CHUNK_ID (-20007)"},
               {-20009, "AAX_ERROR_UNIMPLEMENTED (-20009)"},
               {-20011, "AAX_ERROR_NOT_INITIALIZED (-20011)"},
               {-20042, "AAX_ERROR_UNKNOWN_EXCEPTION (-20042)"},
               {-20046, "AAX_ERROR_ARGUMENT_BUFFER_OVERFLOW (-20046)"},
               {-20002, "<unknown error code> (-20002)"},
               {-20047, "<unknown error code> (-20047)"},
               {7, "<unknown error code> (7)"}};
  for (const auto& c : cases) EXPECT_EQ(AAX::DescribeResult(c.code), c.text);

  const AAX::Exception::ResultError error(-20004, "DescribeAlgorithm", "12");
  EXPECT_EQ(error.What(), "AAX_ERROR_NULL_OBJECT (-20004) func:DescribeAlgorithm line:12");
  EXPECT_EQ(error.Result(), -20004);
  EXPECT_EQ(AAX::Exception::Any("plain").What(), "plain");
}

TEST(AAXResults, CheckedResultThrowsOutsideTheAcceptedSetAndTraces)
{
  aaxtest::ScopedHostServices host;
  AAX_CheckedResult guard;
  EXPECT_NO_THROW(guard = AAX_SUCCESS);
  try
  {
    guard = AAX_ERROR_NULL_OBJECT;
    FAIL() << "no exception";
  }
  catch (const AAX::Exception::ResultError& e)
  {
    EXPECT_EQ(e.Result(), AAX_ERROR_NULL_OBJECT);
  }
  ASSERT_EQ(host.mServices.mTraces.size(), 1u);
  EXPECT_EQ(host.mServices.mTraces[0].first, 0x4000000);
  EXPECT_EQ(host.mServices.mTraces[0].second, "AAX_CheckedResult - throwing AAX_ERROR_NULL_OBJECT (-20004)");

  guard.AddAcceptedResult(AAX_ERROR_UNIMPLEMENTED);
  EXPECT_NO_THROW(guard = AAX_ERROR_UNIMPLEMENTED);
  EXPECT_EQ(guard.Result(), AAX_ERROR_UNIMPLEMENTED);
}

TEST(AAXHostServices, ReportsGoToTheHostAndAreSkippedWithoutIt)
{
  AAX_ASSERT(1 == 2); // no host services: nothing happens
  AAX_TRACE(AAX::kTracePriority_High, "lost %d", 1);
  {
    aaxtest::ScopedHostServices host;
    const int line = __LINE__ + 1;
    AAX_ASSERT(1 == 2);
    AAX_TRACE(AAX::kTracePriority_High, "value %d", 42);
    ASSERT_EQ(host.mServices.mReports.size(), 1u);
    EXPECT_EQ(host.mServices.mReports[0].expression, "1 == 2");
    EXPECT_EQ(host.mServices.mReports[0].line, line);
    EXPECT_NE(host.mServices.mReports[0].file.find("AAX_HostWrappersTest.cpp"), std::string::npos);
    ASSERT_EQ(host.mServices.mTraces.size(), 1u);
    EXPECT_EQ(host.mServices.mTraces[0].second, "value 42");
    EXPECT_EQ(host.mServices.mTraces[0].first, 0x8000000);
    // A second start-up with a host object changes nothing.
    aaxtest::HostServices other;
    AAX_VHostServices* before = AAX_CHostServices::Get();
    AAX_CHostServices::Set(&other);
    EXPECT_EQ(AAX_CHostServices::Get(), before);
    EXPECT_EQ(other.Refs(), 0u);
  }
  EXPECT_EQ(AAX_CHostServices::Get(), nullptr);
}

namespace
{
class Counted : public IACFUnknown, public CACFUnknown
{
public:
  explicit Counted(IACFUnknown* outer, bool* gone) : CACFUnknown(outer), mGone(gone) {}
  ~Counted() override { *mGone = true; }
  ACF_DECLARE_STANDARD_UNKNOWN()

private:
  bool* mGone;
};
} // namespace

TEST(AAXUnknown, AggregatedObjectForwardsToItsOuterObject)
{
  aaxtest::HostServices outer;
  bool gone = false;
  auto* inner = new Counted(&outer, &gone);
  EXPECT_EQ(inner->GetOuterUnknown(), &outer);
  inner->AddRef(); // counts on the outer object
  EXPECT_EQ(outer.Refs(), 1u);
  EXPECT_EQ(inner->GetRefCount(), 0u);
  inner->Release();
  // The owner releases the inner object through its inner unknown.
  inner->GetInnerUnknown()->AddRef();
  EXPECT_EQ(inner->GetInnerUnknown()->Release(), 0u);
  EXPECT_TRUE(gone);
}

TEST(AAXUnknown, ReleaseWithoutReferenceDoesNotDelete)
{
  bool gone = false;
  Counted object(nullptr, &gone);
  EXPECT_EQ(object.Release(), 0u);
  EXPECT_FALSE(gone);
  gone = false;
}
