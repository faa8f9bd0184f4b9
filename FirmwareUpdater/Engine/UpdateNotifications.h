#pragma once
// The data of the engine's notifications, posted into the default notification center
// ("application") and handled by the main window on the window thread.

#include "ObjectBase/RCPtr.h"

#include <cstdint>

namespace KV {

inline constexpr char16_t NID_DEVICE_STATE_CHANGE[] = u"NID_DEVICE_STATE_CHANGE";
inline constexpr char16_t NID_FIRMWARE_FILE_STATE_CHANGE[] = u"NID_FIRMWARE_FILE_STATE_CHANGE";
inline constexpr char16_t NID_FOUND_DEVICE_LIST_CHANGE[] = u"NID_FOUND_DEVICE_LIST_CHANGE";
inline constexpr char16_t NID_FIRMWARE_UPDATE_PROGRESS[] = u"NID_FIRMWARE_UPDATE_PROGRESS";
inline constexpr char16_t NID_FIRMWARE_UPDATE_COMPLETED[] = u"NID_FIRMWARE_UPDATE_COMPLETED";
// A step that the engine took on its MIDI thread for the window has ended.
inline constexpr char16_t NID_ENGINE_TASK_COMPLETED[] = u"NID_ENGINE_TASK_COMPLETED";

class LDeviceStateChangeNotificationData : public virtual LRefCountedObject
{
public:
    LDeviceStateChangeNotificationData(int32_t newState, int32_t oldState)
        : mNewState(newState), mOldState(oldState)
    {
    }
    const int32_t mNewState;
    const int32_t mOldState;
};

class LFirmwareFileStateChangeNotificationData : public virtual LRefCountedObject
{
public:
    LFirmwareFileStateChangeNotificationData(int32_t newState, int32_t oldState)
        : mNewState(newState), mOldState(oldState)
    {
    }
    const int32_t mNewState;
    const int32_t mOldState;
};

class LFirmwareUpdateProgressNotificationData : public virtual LRefCountedObject
{
public:
    LFirmwareUpdateProgressNotificationData(int32_t stage, double fraction, int32_t secondsRemaining,
                                            uint8_t estimate, uint8_t further)
        : mStage(stage), mFraction(fraction), mSecondsRemaining(secondsRemaining), mEstimate(estimate),
          mFurther(further)
    {
    }
    const int32_t mStage;
    const double mFraction; // 0.0 to 1.0
    const int32_t mSecondsRemaining;
    const uint8_t mEstimate; // 0: the seconds remaining are worth showing
    const uint8_t mFurther;
};

class LFirmwareUpdateCompletedNotificationData : public virtual LRefCountedObject
{
public:
    explicit LFirmwareUpdateCompletedNotificationData(bool success) : mSuccess(success ? 1 : 0) {}
    const uint8_t mSuccess;
};

class LEngineTaskCompletedNotificationData : public virtual LRefCountedObject
{
public:
    LEngineTaskCompletedNotificationData(int32_t task, int32_t result) : mTask(task), mResult(result) {}
    const int32_t mTask;   // LUpdateEngineInterface::BackgroundTask
    const int32_t mResult; // the step's result
};

} // namespace KV
