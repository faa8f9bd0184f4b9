#pragma once
// The recipe every concrete control follows.
//
// A control class derives from LControl (or from another control class) and is made by
// one create function, registered with the control factory under its skin class names:
// construct with (parent, name), apply the descriptor, create the children the skin
// gives, initialise, post-initialise. Initialize calls the base class's first, then makes
// the class's own handler table, looks up its named subcontrols (a child of another class
// counts as missing) and registers its handlers; a registration that fails throws, naming
// the class's Initialize. A notification reaches the class's own table first; an answer
// other than 0 ends its delivery, 0 hands it on to the base class.

#include "ControlBase/Control.h"
#include "ControlBase/ControlDescriptor.h"
#include "Notification/NotificationHandler.h"

namespace KV {

// The child of exactly that name when it is a T; empty when there is none or it is of
// another class.
template <class T> RCPtr<T> FindSubControl(LControl& owner, const char16_t* name)
{
    return RCPtr<T>::DynamicCastFrom(owner.FindChild(String(name)));
}

// A flag among the control's create parameters: true for "true" in any letter case, blanks
// around allowed. False, the value untouched, when the control has no such parameter.
inline bool ReadAttributeFlag(LControl& control, const char16_t* key, bool& value)
{
    const RCPtr<LControlDescriptor>& descriptor = control.GetDescriptor();
    String text;
    if (!descriptor || !descriptor->mCreateParams || !descriptor->mCreateParams->GetString(key, text))
        return false;
    value = text.Trim().ToLower() == u"true";
    return true;
}

// Whether a condition bit (kCondition...) came on, or went off, in the change.
inline bool ConditionTurnedOn(const LConditionsParam& param, uint32_t bit)
{
    return (param.mNewConditions & bit) != 0 && (param.mOldConditions & bit) == 0;
}
inline bool ConditionTurnedOff(const LConditionsParam& param, uint32_t bit)
{
    return (param.mNewConditions & bit) == 0 && (param.mOldConditions & bit) != 0;
}

// Receive of a class with its own handler table: the table first, then Base's Receive
// unless the table's handler took the notification.
template <class Base, class T>
KVRESULT ReceiveThroughOwnTable(T& control, const RCPtr<LNotificationHandler<T>>& ownTable,
                                const RCPtr<LNotificationDistributor>& sender,
                                const RCPtr<LNotification>& notification)
{
    // Handlers run only once the whole creation sequence is done.
    if (ownTable && control.IsCreated())
    {
        const KVRESULT taken = ownTable->Dispatch(sender, notification);
        if (taken != 0)
            return taken;
    }
    return control.Base::Receive(sender, notification);
}

// Detach of a class with its own handler table: its entry leaves the table, then the
// base classes' tables and the registration.
template <class Base, class T>
KVRESULT DetachFromOwnTable(T& control, const RCPtr<LNotificationHandler<T>>& ownTable,
                            const RCPtr<LNotificationDistributor>& distributor, NotificationId id)
{
    if (ownTable)
        ownTable->RemoveHandler(distributor.Get(), id);
    return control.Base::Detach(distributor, id);
}

// The create function of a control class, for the control factory.
template <class T>
RCPtr<LControl> CreateControlOfClass(const RCPtr<LControl>& parent,
                                     const RCPtr<LControlDescriptor>& descriptor)
{
    RCPtr<T> control(new T(parent, descriptor ? descriptor->mName : String()));
    control->RunCreationSequence(descriptor);
    return RCPtr<LControl>(control);
}

} // namespace KV
