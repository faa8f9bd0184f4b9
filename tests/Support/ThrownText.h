#pragma once
// The text of the exception that a piece of code throws.

#include <exception>
#include <string>

template <class Body> std::string ThrownText(Body body)
{
    try
    {
        body();
    }
    catch (const std::exception& e)
    {
        return e.what();
    }
    return "nothing thrown";
}
