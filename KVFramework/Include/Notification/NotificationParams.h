#pragma once
// The data objects that notifications carry for input events and state changes: pointer
// positions, buttons, wheel steps, keys, values, conditions, list items, text validation
// and menu activation.
//
// Fields are plain public data: senders fill them at creation, receivers read them and
// may write the fields that are answers (mResult, mText, mAccepted). Every Create hands
// the object out already wrapped, and an empty pointer when memory ran out.
//
// The frequent classes (pointer moves, buttons, wheel steps, values, conditions, menu
// activations) come from pools of reusable blocks, so that steady input allocates
// nothing. Each pool locks: the last reference to a parameter may go on whatever thread
// last held the notification (the MIDI delivery thread, a worker).

#include "ObjectBase/RCPtr.h"
#include "Graphics/Geometry.h"
#include "Storage/RCPtrArray.h"
#include "Storage/ReuseAllocator.h"
#include "Storage/StringT.h"
#include "System/KeyCode.h"

#include <cstdint>

namespace KV {

class LControl;
class LMenuDescriptor;

// The pool granularity of the parameter classes.
template <class T> using ParamPool = ReusePooled<T, 4, true>;

// Mouse buttons, as the button of an event and as bits of the set held.
inline constexpr int kMouseButtonLeft = 1;
inline constexpr int kMouseButtonMiddle = 2;
inline constexpr int kMouseButtonRight = 4;

// Wheel directions.
inline constexpr int kWheelVerticalNegative = 0;
inline constexpr int kWheelVerticalPositive = 1;
inline constexpr int kWheelHorizontalNegative = 2;
inline constexpr int kWheelHorizontalPositive = 3;

class LPointParam : public virtual LRefCountedObject
{
public:
    PointT<int32_t> mPoint; // in the receiving root window's client coordinates

protected:
    explicit LPointParam(PointT<int32_t> point) : mPoint(point) {}
    ~LPointParam() override = default;
};

// A pointer move.
class LPointWithModifiersParam : public LPointParam, public ParamPool<LPointWithModifiersParam>
{
public:
    static RCPtr<LPointWithModifiersParam> Create(PointT<int32_t> point, uint32_t modifiers);

    uint32_t mModifiers; // the modifier word (see System/KeyCode.h)

protected:
    LPointWithModifiersParam(PointT<int32_t> point, uint32_t modifiers)
        : LPointParam(point), mModifiers(modifiers)
    {
    }
    ~LPointWithModifiersParam() override = default;
};

// A button pressed, released or double-clicked.
class LMouseButtonParam : public LPointWithModifiersParam, public ParamPool<LMouseButtonParam>
{
public:
    using ParamPool<LMouseButtonParam>::operator new;
    using ParamPool<LMouseButtonParam>::operator delete;
    using ParamPool<LMouseButtonParam>::Pool;

    static RCPtr<LMouseButtonParam> Create(int button, PointT<int32_t> point, uint32_t modifiers,
                                           int isDoubleClick, int buttonState);

    int mButton;        // 1, 2 or 4
    int mIsDoubleClick; // 1 for a double click and for the release that ends it
    int mButtonState;   // the buttons held when the event was made

protected:
    LMouseButtonParam(int button, PointT<int32_t> point, uint32_t modifiers, int isDoubleClick,
                      int buttonState)
        : LPointWithModifiersParam(point, modifiers), mButton(button), mIsDoubleClick(isDoubleClick),
          mButtonState(buttonState)
    {
    }
    ~LMouseButtonParam() override = default;
};

// One wheel notch.
class LMouseWheelParam : public LPointWithModifiersParam, public ParamPool<LMouseWheelParam>
{
public:
    using ParamPool<LMouseWheelParam>::operator new;
    using ParamPool<LMouseWheelParam>::operator delete;
    using ParamPool<LMouseWheelParam>::Pool;

    static RCPtr<LMouseWheelParam> Create(PointT<int32_t> point, uint32_t modifiers, int direction);

    int mDirection; // kWheel...

protected:
    LMouseWheelParam(PointT<int32_t> point, uint32_t modifiers, int direction)
        : LPointWithModifiersParam(point, modifiers), mDirection(direction)
    {
    }
    ~LMouseWheelParam() override = default;
};

// A key on its way through the controls.
class LKeyParam : public virtual LRefCountedObject
{
public:
    static RCPtr<LKeyParam> Create(KeyCode key, int fromInput);

    KeyCode mKeyCode;
    int mFromInput;                 // 1 for keys of the window; 0 for keys the controls make themselves
    RCPtrArray<LControl> mControls; // the controls whose key handling it passed through

protected:
    LKeyParam(KeyCode key, int fromInput);
    ~LKeyParam() override;
};

// A key that a control offers to its siblings.
class LSiblingKeyParam : public virtual LRefCountedObject
{
public:
    static RCPtr<LSiblingKeyParam> Create(KeyCode key, const RCPtr<LControl>& source);

    KeyCode mKeyCode;
    RCPtr<LControl> mSource;
    int mResult = -1; // a sibling that takes the key sets 0

protected:
    LSiblingKeyParam(KeyCode key, const RCPtr<LControl>& source);
    ~LSiblingKeyParam() override;
};

class LValueParam : public virtual LRefCountedObject, public ParamPool<LValueParam>
{
public:
    static RCPtr<LValueParam> Create(double normalizedValue, double value);

    double mNormalizedValue; // 0.0 to 1.0
    double mValue;           // the same position in the control's value range

protected:
    LValueParam(double normalizedValue, double value) : mNormalizedValue(normalizedValue), mValue(value) {}
    ~LValueParam() override = default;
};

class LConditionsParam : public virtual LRefCountedObject, public ParamPool<LConditionsParam>
{
public:
    static RCPtr<LConditionsParam> Create(uint32_t oldConditions, uint32_t newConditions,
                                          const PointT<double>& pressPoint);

    uint32_t mOldConditions;
    uint32_t mNewConditions;
    PointT<double> mPressPoint; // of the control's last captured press, in its parent's coordinates

protected:
    LConditionsParam(uint32_t oldConditions, uint32_t newConditions, const PointT<double>& pressPoint)
        : mOldConditions(oldConditions), mNewConditions(newConditions), mPressPoint(pressPoint)
    {
    }
    ~LConditionsParam() override = default;
};

// Shares the allocation operations of LConditionsParam; being larger than that pool's
// blocks, its objects come from the general heap and go back to it.
class LItemConditionsParam : public LConditionsParam
{
public:
    static RCPtr<LItemConditionsParam> Create(int itemIndex, int lookIndex, uint8_t itemFlag,
                                              uint32_t oldConditions, uint32_t newConditions,
                                              const PointT<double>& pressPoint);

    int mItemIndex;
    int mLookIndex; // the item's first look with a weight above 0, -1 when none
    uint8_t mItemFlag;

protected:
    LItemConditionsParam(int itemIndex, int lookIndex, uint8_t itemFlag, uint32_t oldConditions,
                         uint32_t newConditions, const PointT<double>& pressPoint)
        : LConditionsParam(oldConditions, newConditions, pressPoint), mItemIndex(itemIndex),
          mLookIndex(lookIndex), mItemFlag(itemFlag)
    {
    }
    ~LItemConditionsParam() override = default;
};

class LIndexedDataParam : public virtual LRefCountedObject
{
public:
    RCPtr<LRefCountedObject> mData; // may be empty
    int mIndex;

protected:
    LIndexedDataParam(const RCPtr<LRefCountedObject>& data, int index) : mData(data), mIndex(index) {}
    ~LIndexedDataParam() override = default;
};

class LIndexedDataWithValueParam : public LIndexedDataParam
{
public:
    static RCPtr<LIndexedDataWithValueParam> Create(const RCPtr<LRefCountedObject>& data, int index,
                                                    double value);

    double mValue;

protected:
    LIndexedDataWithValueParam(const RCPtr<LRefCountedObject>& data, int index, double value)
        : LIndexedDataParam(data, index), mValue(value)
    {
    }
    ~LIndexedDataWithValueParam() override = default;
};

// The text of a text box under validation: handlers may replace mText or reject it.
class LTextValidationParams : public LRefCountedObject
{
public:
    static RCPtr<LTextValidationParams> Create(const String& text);

    String mText;
    const String mInitialText;
    bool mAccepted = true;

protected:
    explicit LTextValidationParams(const String& text) : mText(text), mInitialText(text) {}
    ~LTextValidationParams() override = default;
};

class LMenuActivationParam : public virtual LRefCountedObject, public ParamPool<LMenuActivationParam>
{
public:
    static RCPtr<LMenuActivationParam> Create(const RCPtr<LMenuDescriptor>& menu, int itemIndex);

    RCPtr<LMenuDescriptor> mMenu; // the menu that the popup menu shows
    int mItemIndex;               // the activated item

protected:
    LMenuActivationParam(const RCPtr<LMenuDescriptor>& menu, int itemIndex);
    ~LMenuActivationParam() override;
};

} // namespace KV
