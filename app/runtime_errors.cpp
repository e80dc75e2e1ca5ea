// The C++ runtime's error paths as the program meets them. The program is built without
// exceptions: the library's versions would build std::logic_error and its kin from the message,
// bringing a second (copy-on-write) string implementation along (about 30 KB) only to throw
// what nothing catches. Each failure here (an allocation that fails, an index past the end)
// ends the process at once, as an uncaught exception would, without unwinding into the system's
// code. Every function of the library's file is defined here: one missing would pull that file
// in again, and the link would fail on the others.
#include <cstdlib>

namespace std {

namespace {
[[noreturn]] void Fail() { std::abort(); }
}  // namespace

void __throw_bad_exception() { Fail(); }
void __throw_bad_alloc() { Fail(); }
void __throw_bad_array_new_length() { Fail(); }
void __throw_bad_cast() { Fail(); }
void __throw_bad_typeid() { Fail(); }
void __throw_logic_error(const char*) { Fail(); }
void __throw_domain_error(const char*) { Fail(); }
void __throw_invalid_argument(const char*) { Fail(); }
void __throw_length_error(const char*) { Fail(); }
void __throw_out_of_range(const char*) { Fail(); }
void __throw_out_of_range_fmt(const char*, ...) { Fail(); }
void __throw_runtime_error(const char*) { Fail(); }
void __throw_range_error(const char*) { Fail(); }
void __throw_overflow_error(const char*) { Fail(); }
void __throw_underflow_error(const char*) { Fail(); }

}  // namespace std
