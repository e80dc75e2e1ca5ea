// The C++ runtime's default terminate handler writes the exception's demangled type to stderr,
// which a windowed program does not have, and brings the whole demangler (a tenth of the
// program) for it. This one only aborts, as that handler does once it has written.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
