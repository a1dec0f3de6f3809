// KIO_ASSERT(condition): an invariant that a comment would otherwise only
// state. Checked where KIO_CHECK_INVARIANTS is defined (the sanitizer and fuzz
// presets), where a broken one aborts with its place; elsewhere the condition
// is not evaluated and costs nothing.
#pragma once

#if defined(KIO_CHECK_INVARIANTS)
#include <cstdio>
#include <cstdlib>

namespace kio::detail {

[[noreturn]] inline void InvariantBroken(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, condition);
    std::abort();
}

}  // namespace kio::detail

#define KIO_ASSERT(condition)           \
    ((condition) ? static_cast<void>(0) \
                 : ::kio::detail::InvariantBroken(#condition, __FILE__, __LINE__))
#else
#define KIO_ASSERT(condition) static_cast<void>(sizeof(condition))
#endif
