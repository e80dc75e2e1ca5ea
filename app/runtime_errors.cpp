// The C++ runtime's error paths as the program throws them. The library's own versions build
// std::logic_error and its kin from the message, which brings a second (copy-on-write) string
// implementation and std::random_device along: about 30 KB for texts that nothing reads. Each
// error stays an exception, so the dialogs' boundary (win/dialog.cpp) still catches it, and an
// allocation failure is still std::bad_alloc. Every function of the library's file is defined
// here: one missing would pull that file in again, and the link would fail on the others.
#include <exception>
#include <new>
#include <typeinfo>

namespace std {

void __throw_bad_exception() { throw bad_exception(); }
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_logic_error(const char*) { throw exception(); }
void __throw_domain_error(const char*) { throw exception(); }
void __throw_invalid_argument(const char*) { throw exception(); }
void __throw_length_error(const char*) { throw exception(); }
void __throw_out_of_range(const char*) { throw exception(); }
void __throw_out_of_range_fmt(const char*, ...) { throw exception(); }
void __throw_runtime_error(const char*) { throw exception(); }
void __throw_range_error(const char*) { throw exception(); }
void __throw_overflow_error(const char*) { throw exception(); }
void __throw_underflow_error(const char*) { throw exception(); }

}  // namespace std
