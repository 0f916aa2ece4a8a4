// System libraries the toolkit brings (fontconfig, D-Bus) keep caches until the process ends, which the
// leak checker of the sanitizer build would report after every run of these tests.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}
