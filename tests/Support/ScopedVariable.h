#pragma once
// Sets an environment variable for the life of the object, then restores it.

#include <cstdlib>
#include <optional>
#include <string>

#include <stdlib.h>

class ScopedVariable
{
public:
    // value: nothing unsets the variable.
    ScopedVariable(const char* name, const std::optional<std::string>& value) : mName(name)
    {
        if (const char* old = std::getenv(name))
            mOld = old;
        Set(value);
    }
    ~ScopedVariable() { Set(mOld); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    void Set(const std::optional<std::string>& value)
    {
        if (value)
            ::setenv(mName, value->c_str(), 1);
        else
            ::unsetenv(mName);
    }

    const char* mName;
    std::optional<std::string> mOld;
};
