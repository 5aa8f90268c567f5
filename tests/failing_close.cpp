// Preloaded into a program: closing standard output fails as a file system
// that reports a lost write only at close() would. Other descriptors close
// as usual.
#include <dlfcn.h>

#include <cerrno>

extern "C" int close(int descriptor) {
    if (descriptor == 1) {
        errno = EIO;
        return -1;
    }
    using Close = int (*)(int);
    static const auto real_close = reinterpret_cast<Close>(dlsym(RTLD_NEXT, "close"));
    return real_close(descriptor);
}
