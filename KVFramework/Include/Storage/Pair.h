#pragma once
// Pair<A,B>: two plain members, used for key and text lists.

namespace KV {

template <class A, class B> struct Pair
{
    A first;
    B second;
};

} // namespace KV
