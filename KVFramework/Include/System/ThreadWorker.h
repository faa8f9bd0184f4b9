#pragma once
// LThreadWorker: the job that a RetriggerableThreader or an LThreadPool runs.

#include "ObjectBase/RCPtr.h"
#include "ObjectBase/RefCountedObject.h"

namespace KV {

class LThreadWorker : public virtual LRefCountedObject
{
public:
    // Runs one job on the worker thread. `parameters` is the threader's own field for
    // this run; the result is kept for diagnosis only.
    virtual int DoWork(RCPtr<LRefCountedObject>& parameters) = 0;

protected:
    ~LThreadWorker() override = default;
};

} // namespace KV
