#pragma once
// Skins of checked list boxes for the tests of the list and of the controls that drop it:
// rows 20 high with a check box at their left, and a look of two icons for the icon
// variant.

#include "Controls/CheckedListBox.h"

#include "ControlsTestSupport.h"

namespace controltest {

// A look whose parts are two icons cut from one picture.
inline RCPtr<LLookDescriptor> IconLook()
{
    const String file(KV_REFERENCE_IMAGE_FOLDER "/ProgressBarAndButton.png");
    RCPtr<LLookDescriptor> look = LLookDescriptor::Create(u"icons");
    for (int32_t x : {0, 8})
        look->mNonClientParts.AddItem(
            LDockedPart::Create(LVisualPartDescriptor::Create(u"icon", {file, x, 0, 8, 8},
                                                              ResizeType::Stretch, nullptr, 1.0f, {}),
                                Offsets(kL | kT, 0, 0)));
    return look;
}

// A checked list of that class, w x h at (x, y), of three looks (and the icons as look 3
// when asked), whose rows are 20 high and as wide as the list, each with a 16 x 16 check
// box at (2, 2).
inline RCPtr<LControlDescriptor> DescribeCheckedList(const char16_t* className, const char16_t* name,
                                                     double x, double y, double w, double h, bool icons)
{
    std::vector<RCPtr<LLookDescriptor>> looks = ColourLooks(3);
    if (icons)
        looks.push_back(IconLook());
    RCPtr<LControlDescriptor> list = Describe(className, name, x, y, w, h, looks);
    RCPtr<LControlDescriptor> row =
        Describe(u"Framework.CheckedListBoxItem", u"templateItem", 0, 0, 0, 20, ColourLooks(14));
    row->mLayout->mXSize = {SizeReference::Client, String(), 1.0f, 0};
    row->AddChild(Describe(u"Framework.Button", u"checkBox", 2, 2, 16, 16, ColourLooks(14)));
    list->AddChild(row);
    return list;
}

// The check box of the list's row control at that index.
inline RCPtr<LButton> CheckBoxOf(LListBox& list, int32_t index)
{
    return RCPtr<LCheckedListBoxItem>::DynamicCastFrom(list.GetItemControl(index))->GetCheckBox();
}

} // namespace controltest
