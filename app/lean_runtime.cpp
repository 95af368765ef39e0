// Renovo.exe only: smaller stand-ins for three parts of the static C++ runtime, which would
// otherwise make up a quarter of the program. Run from swap, Windows copies the whole program
// off the floppy as it starts, at some 45 KB a second.
//
// - The runtime's default terminate handler names the uncaught exception's type on stderr, and
//   brings in the whole C++ name demangler for that; a Windows program has no stderr.
// - Its `std::__throw_*` helpers build std::length_error and its kind, whose message is a
//   copy-on-write string of the old ABI: that brings in a second std::string implementation
//   and what it needs. Our code catches none of those types: the exceptions thrown here are
//   still `std::exception`s with the same message, caught wherever one is caught today.
// The linker takes these definitions before the runtime library's, and refuses the program if
// the library's own come in all the same (a duplicate definition), so nothing is half replaced.
#include <cstdlib>
#include <exception>
#include <new>

namespace {

// A logic error of the library's own (a length or position out of range).
class LibraryError : public std::exception {
public:
    explicit LibraryError(const char* what) : what_(what) {}
    const char* what() const noexcept override { return what_; }

private:
    const char* what_;  // the library's messages are literals
};

}  // namespace

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() {
    throw std::bad_alloc();
}
void __throw_bad_array_new_length() {
    throw std::bad_array_new_length();
}
void __throw_length_error(const char* what) {
    throw LibraryError(what);
}
void __throw_logic_error(const char* what) {
    throw LibraryError(what);
}
void __throw_out_of_range(const char* what) {
    throw LibraryError(what);
}
void __throw_out_of_range_fmt(const char* what, ...) {
    throw LibraryError(what);  // the format's arguments are left out of the message
}
void __throw_invalid_argument(const char* what) {
    throw LibraryError(what);
}
}  // namespace std
