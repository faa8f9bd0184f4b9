#include "Platform/Midi/MidiOutStream.h"

namespace KV::Platform {

uint32_t MidiShortMessageLength(uint8_t status)
{
    if (status < 0x80 || status == 0xF0 || status == 0xF7)
        return 0;
    if (status < 0xC0 || (status >= 0xE0 && status < 0xF0))
        return 3;
    if (status < 0xE0)
        return 2;
    switch (status)
    {
    case 0xF1:
    case 0xF3:
        return 2;
    case 0xF2:
        return 3;
    default: // F4, F5 (undefined), F6 and real-time messages carry no data
        return 1;
    }
}

void MidiOutStream::Feed(const uint8_t* bytes, size_t count, const Sink& sink)
{
    for (size_t i = 0; i < count; ++i)
    {
        const uint8_t b = bytes[i];
        if (b >= 0xF8)
        {
            sink({b});
            continue;
        }
        if (b == 0xF0)
        {
            mPending.assign(1, b);
            mInSysex = true;
            mExpected = 0;
            mRunningStatus = 0;
            continue;
        }
        if (b == 0xF7)
        {
            if (mInSysex)
            {
                mPending.push_back(b);
                sink(mPending);
            }
            mPending.clear();
            mInSysex = false;
            mExpected = 0;
            continue;
        }
        if (b >= 0x80)
        {
            mInSysex = false;
            mPending.assign(1, b);
            mExpected = MidiShortMessageLength(b);
            mRunningStatus = b < 0xF0 ? b : 0;
        }
        else if (mInSysex)
        {
            if (mPending.size() >= MAX_SYSEX_LENGTH)
            {
                mPending.clear();
                mInSysex = false;
                continue;
            }
            mPending.push_back(b);
            continue;
        }
        else if (mExpected != 0)
        {
            mPending.push_back(b);
        }
        else if (mRunningStatus != 0)
        {
            mPending.assign({mRunningStatus, b});
            mExpected = MidiShortMessageLength(mRunningStatus);
        }
        else
        {
            continue; // a data byte that belongs to no message
        }
        if (mPending.size() == mExpected)
        {
            sink(mPending);
            mPending.clear();
            mExpected = 0;
        }
    }
}

void MidiOutStream::Reset()
{
    mPending.clear();
    mInSysex = false;
    mExpected = 0;
    mRunningStatus = 0;
}

} // namespace KV::Platform
