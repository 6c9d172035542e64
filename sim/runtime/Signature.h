#pragma once
// Method signatures, interned: two methods or call sites with the same
// encoding share one Signature, so comparing signatures is a pointer compare.

#include "sim/runtime/Encoding.h"

#include <string>
#include <string_view>

namespace rt {

struct Signature {
    std::string full;    // "v@:i@\"NSString\""
    std::string reduced; // "v@:i@"
};

const Signature* internSignature(const std::string& full);

// Strips object tags ("@\"NSString\"" -> "@") and block signatures
// ("@?<v@?B>" -> "@?").
std::string reduceEncoding(std::string_view full);

template <class R, class... A> std::string methodEncoding() {
    std::string s = Encode<R>::code() + "@:";
    ((s += Encode<A>::code()), ...);
    return s;
}

// The signature of a method R (self, _cmd, A...), computed once per type list.
template <class R, class... A> [[gnu::always_inline]] inline const Signature* signatureOf() {
    static const Signature* s = internSignature(methodEncoding<R, A...>());
    return s;
}

} // namespace rt
