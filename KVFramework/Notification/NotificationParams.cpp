#include "Notification/NotificationParams.h"

#include "ControlBase/Control.h"
#include "Controls/MenuDescriptor.h"

#include <new>
#include <type_traits>

namespace KV {
namespace {

// Wraps what make() creates; an empty pointer when memory ran out.
template <class Make> auto Wrap(Make make) -> RCPtr<std::remove_pointer_t<decltype(make())>>
{
    try
    {
        return make();
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

} // namespace

RCPtr<LPointWithModifiersParam> LPointWithModifiersParam::Create(PointT<int32_t> point, uint32_t modifiers)
{
    return Wrap([&] { return new LPointWithModifiersParam(point, modifiers); });
}

RCPtr<LMouseButtonParam> LMouseButtonParam::Create(int button, PointT<int32_t> point, uint32_t modifiers,
                                                   int isDoubleClick, int buttonState)
{
    return Wrap([&] { return new LMouseButtonParam(button, point, modifiers, isDoubleClick, buttonState); });
}

RCPtr<LMouseWheelParam> LMouseWheelParam::Create(PointT<int32_t> point, uint32_t modifiers, int direction)
{
    return Wrap([&] { return new LMouseWheelParam(point, modifiers, direction); });
}

LKeyParam::LKeyParam(KeyCode key, int fromInput) : mKeyCode(key), mFromInput(fromInput) {}
LKeyParam::~LKeyParam() = default;

RCPtr<LKeyParam> LKeyParam::Create(KeyCode key, int fromInput)
{
    return Wrap([&] { return new LKeyParam(key, fromInput); });
}

LSiblingKeyParam::LSiblingKeyParam(KeyCode key, const RCPtr<LControl>& source)
    : mKeyCode(key), mSource(source)
{
}
LSiblingKeyParam::~LSiblingKeyParam() = default;

RCPtr<LSiblingKeyParam> LSiblingKeyParam::Create(KeyCode key, const RCPtr<LControl>& source)
{
    return Wrap([&] { return new LSiblingKeyParam(key, source); });
}

RCPtr<LValueParam> LValueParam::Create(double normalizedValue, double value)
{
    return Wrap([&] { return new LValueParam(normalizedValue, value); });
}

RCPtr<LConditionsParam> LConditionsParam::Create(uint32_t oldConditions, uint32_t newConditions,
                                                 const PointT<double>& pressPoint)
{
    return Wrap([&] { return new LConditionsParam(oldConditions, newConditions, pressPoint); });
}

static_assert(sizeof(LItemConditionsParam) != sizeof(LConditionsParam),
              "item conditions must not be taken for blocks of the conditions pool");

RCPtr<LItemConditionsParam> LItemConditionsParam::Create(int itemIndex, int lookIndex, uint8_t itemFlag,
                                                         uint32_t oldConditions, uint32_t newConditions,
                                                         const PointT<double>& pressPoint)
{
    return Wrap([&] {
        return new LItemConditionsParam(itemIndex, lookIndex, itemFlag, oldConditions, newConditions,
                                        pressPoint);
    });
}

RCPtr<LIndexedDataWithValueParam> LIndexedDataWithValueParam::Create(const RCPtr<LRefCountedObject>& data,
                                                                     int index, double value)
{
    return Wrap([&] { return new LIndexedDataWithValueParam(data, index, value); });
}

RCPtr<LTextValidationParams> LTextValidationParams::Create(const String& text)
{
    return Wrap([&] { return new LTextValidationParams(text); });
}

LMenuActivationParam::LMenuActivationParam(const RCPtr<LMenuDescriptor>& menu, int itemIndex)
    : mMenu(menu), mItemIndex(itemIndex)
{
}
LMenuActivationParam::~LMenuActivationParam() = default;

RCPtr<LMenuActivationParam> LMenuActivationParam::Create(const RCPtr<LMenuDescriptor>& menu, int itemIndex)
{
    return Wrap([&] { return new LMenuActivationParam(menu, itemIndex); });
}

} // namespace KV
