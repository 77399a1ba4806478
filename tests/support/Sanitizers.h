// Whether the tests run in the address sanitizer build. Its allocator and
// shadow memory make a process's peak resident size say little about the
// program's own allocations, so tests that measure one check only their
// other results there.
#pragma once

namespace pelto5::test {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kAddressSanitizer = true;
#else
inline constexpr bool kAddressSanitizer = false;
#endif
#else
inline constexpr bool kAddressSanitizer = false;
#endif

}  // namespace pelto5::test
