#include "ObjectBase/RCPtr.h"
#include "ObjectBase/TaggableObject.h"
#include "Storage/StringT.h"

#include <gtest/gtest.h>

using namespace KV;

namespace stringabletest {
struct LProbe : public LTaggableObject
{
};
} // namespace stringabletest

TEST(ToString, GivesTheRunTimeClassName)
{
    const RCPtr<LRefCountedObject> plain(new LRefCountedObject());
    EXPECT_TRUE(plain->ToString().EqualsText(u"class KV::LRefCountedObject"))
        << plain->ToString().ToNarrow().GetText();

    // The most derived class, whatever pointer it is reached through.
    const RCPtr<LRefCountedObject> probe(new stringabletest::LProbe());
    const IStringable& stringable = *probe;
    EXPECT_TRUE(stringable.ToString().EqualsText(u"class stringabletest::LProbe"))
        << stringable.ToString().ToNarrow().GetText();
}
