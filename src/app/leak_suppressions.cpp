// Fontconfig keeps font patterns in caches it never frees. The headless
// runner draws text when it writes a review picture, and sanitizer builds
// would report those caches as leaks of the whole run. Only the leak
// checker of a sanitizer build ever asks for this.
extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
