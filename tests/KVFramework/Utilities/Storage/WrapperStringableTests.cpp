#include "Storage/WrapperStringable.h"

#include <gtest/gtest.h>

using namespace KV;

TEST(WrapperStringable, HoldsACopyAndTravelsAsAnObject)
{
    String text(u"status \xE9");
    const RCPtr<LWrapperStringable<>> wrapped = LWrapperStringable<>::Create(text);
    text.Append(u" changed");

    // Carried as a plain object, as notifications and the clipboard do, then recognised.
    const RCPtr<LRefCountedObject> object(wrapped);
    const auto back = RCPtr<LWrapperStringable<>>::DynamicCastFrom(object);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->ToString().EqualsText(u"status \xE9"));
    EXPECT_TRUE(object->ToString().EqualsText(u"status \xE9")) << "ToString is the text, not the class name";
    EXPECT_EQ(back->GetLength(), 8);

    // Taggable like every such object; a plain object is no wrapped string.
    EXPECT_FALSE(back->GetTag());
    EXPECT_FALSE(
        RCPtr<LWrapperStringable<>>::DynamicCastFrom(RCPtr<LRefCountedObject>(new LRefCountedObject())));
}
